#include "extract/drv_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "mmv/byte_io.h"

namespace vk2 {
namespace {

TEST(DrvRecord, ReadsEveryFieldAtItsOffset) {
  // Uninterpreted bytes hold a pattern that must not leak into any field.
  std::vector<uint8_t> p(kDrvRecordSize, 0xAA);
  p[0] = 100;
  p[1] = 0xB8;
  p[2] = 0x0B;
  p[3] = 1;
  p[4] = 2;
  p[5] = 3;
  writeF64(p.data() + 11, 37.5);
  writeF64(p.data() + 19, -127.25);
  writeF64(p.data() + 27, 45.5);
  writeI32(p.data() + 43, 1635502210);
  p[52] = 4;
  p[53] = 5;
  p[54] = 6;
  p[55] = 0x18;
  p[56] = 0xFC;
  writeI16(p.data() + 57, 15);
  writeI16(p.data() + 59, 1000);
  p[93] = 7;

  const DrvRecord r = DrvRecord::read(p.data());
  EXPECT_EQ(r.speedKmh, 100);
  EXPECT_EQ(r.engineRpm, 3000);
  EXPECT_EQ(r.fvsaState, 1);
  EXPECT_EQ(r.fpwState, 2);
  EXPECT_EQ(r.fcwState, 3);
  EXPECT_EQ(r.latitude, 37.5);
  EXPECT_EQ(r.longitude, -127.25);
  EXPECT_EQ(r.heading, 45.5);
  EXPECT_EQ(r.sampleTime, 1635502210);
  EXPECT_EQ(r.gsensorState, 4);
  EXPECT_EQ(r.panicState, 5);
  EXPECT_EQ(r.speedingState, 6);
  EXPECT_EQ(r.accelX, -1000);
  EXPECT_EQ(r.accelY, 15);
  EXPECT_EQ(r.accelZ, 1000);
  EXPECT_EQ(r.ldwState, 7);
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
  r.speedKmh = 255;
  EXPECT_EQ(r.speedKmh, 255);

  EXPECT_FALSE(isRaised(0));
  EXPECT_TRUE(isRaised(1));
  EXPECT_TRUE(isRaised(2));
  EXPECT_FALSE(isRaised(3));
  EXPECT_FALSE(isRaised(255));

  EXPECT_EQ(compassLabel(0.0), "N");
  EXPECT_EQ(compassLabel(-0.0), "N");
  EXPECT_EQ(compassLabel(90.0), "E");
  EXPECT_EQ(compassLabel(180.0), "S");
  EXPECT_EQ(compassLabel(270.0), "W");
  EXPECT_EQ(compassLabel(45.5), "NE");
  EXPECT_EQ(compassLabel(90.0000001), "SE");
  EXPECT_EQ(compassLabel(269.9), "SW");
  EXPECT_EQ(compassLabel(359.9), "NW");
  EXPECT_EQ(compassLabel(360.0), "");
  EXPECT_EQ(compassLabel(-1.0), "");
  EXPECT_EQ(compassLabel(std::numeric_limits<double>::quiet_NaN()), "");

  r.sampleTime = 1635502210;  // 2021-10-29 10:10:10 UTC
  EXPECT_EQ(r.calendarTime(false), (CalendarTime{2021, 10, 29, 10, 10, 10}));
}

}  // namespace
}  // namespace vk2
