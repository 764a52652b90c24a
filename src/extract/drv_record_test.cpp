#include "extract/drv_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/byte_io.h"

namespace vk2 {
namespace {

TEST(DrvRecord, ReadsEveryFieldAtItsOffset) {
  // Uninterpreted bytes hold a pattern that must not leak into any field.
  std::vector<uint8_t> p(kDrvRecordSize, 0xAA);
  for (const auto& [at, v] : std::vector<std::pair<int, uint8_t>>{{0, 100}, {1, 0xB8}, {2, 0x0B}, {3, 1}, {4, 2},
                                                                  {5, 3}, {52, 4}, {53, 5}, {54, 6}, {55, 0x18},
                                                                  {56, 0xFC}, {93, 7}})
    p[static_cast<std::size_t>(at)] = v;
  writeF64(p.data() + 11, 37.5);
  writeF64(p.data() + 19, -127.25);
  writeF64(p.data() + 27, 45.5);
  writeI32(p.data() + 43, 1635502210);
  writeI16(p.data() + 57, 15);
  writeI16(p.data() + 59, 1000);

  const DrvRecord r = DrvRecord::read(p.data());
  EXPECT_EQ((std::vector<int>{r.speedKmh, r.engineRpm, r.fvsaState, r.fpwState, r.fcwState, r.gsensorState,
                              r.panicState, r.speedingState, r.accelX, r.accelY, r.accelZ, r.ldwState}),
            (std::vector<int>{100, 3000, 1, 2, 3, 4, 5, 6, -1000, 15, 1000, 7}));
  EXPECT_EQ((std::vector<double>{r.latitude, r.longitude, r.heading}), (std::vector<double>{37.5, -127.25, 45.5}));
  EXPECT_EQ(r.sampleTime, 1635502210);
  EXPECT_EQ(DrvRecord::toG(r.accelX), -1.0);

  // write() touches only the named fields.
  std::vector<uint8_t> copy(kDrvRecordSize, 0xAA);
  r.write(copy.data());
  EXPECT_EQ(copy, p);
}

TEST(DrvRecord, DerivedValues) {
  DrvRecord r;
  r.speedKmh = 100;
  EXPECT_DOUBLE_EQ(r.speedMph(), 62.1371);
  EXPECT_EQ((std::vector<bool>{isRaised(0), isRaised(1), isRaised(2), isRaised(3)}),
            (std::vector<bool>{false, true, true, false}));
  // Eight sectors; exact multiples of 90 are the cardinal points; outside 0..360 no label.
  const std::pair<double, const char*> compass[] = {{-0.0, "N"},       {90.0, "E"},  {45.5, "NE"},
                                                    {90.0000001, "SE"}, {359.9, "NW"}, {360.0, ""},
                                                    {std::numeric_limits<double>::quiet_NaN(), ""}};
  for (const auto& [heading, label] : compass) EXPECT_EQ(compassLabel(heading), label) << heading;
  r.sampleTime = 1635502210;  // 2021-10-29 10:10:10 UTC
  EXPECT_EQ(r.calendarTime(false), (CalendarTime{2021, 10, 29, 10, 10, 10}));
}

}  // namespace
}  // namespace vk2
