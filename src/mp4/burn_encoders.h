#pragma once
// Which encoders the burn-in tries, in what order, and each one's command line.
// Hardware encoders are tried only when the converter lists them; whatever
// fails is followed by the next, and libx264 comes last, as it always works.
#include <string>
#include <vector>

#include "core/conversion_options.h"
#include "mp4/command_lines.h"

namespace vk2 {

inline constexpr const char* kSoftwareEncoder = "libx264";

enum class EncoderPlatform { Windows, Linux, Other };
#if defined(_WIN32)
inline constexpr EncoderPlatform kHostEncoderPlatform = EncoderPlatform::Windows;
#elif defined(__linux__)
inline constexpr EncoderPlatform kHostEncoderPlatform = EncoderPlatform::Linux;
#else
inline constexpr EncoderPlatform kHostEncoderPlatform = EncoderPlatform::Other;
#endif

// The hardware encoders worth trying on `platform`, best first.
std::vector<std::string> hardwareEncoders(EncoderPlatform platform = kHostEncoderPlatform);

// What --encoder takes: "auto", "x264" and the hardware encoders.
std::vector<std::string> encoderChoices(EncoderPlatform platform = kHostEncoderPlatform);

// The encoder names of the converter's "-encoders" listing: the word after
// each flags column below its "------" line.
std::vector<std::string> listedEncoders(const std::string& listing);

// Only a choice that may try a hardware encoder needs the listing: burn-fast,
// or an --encoder other than x264.
bool needsEncoderListing(SubtitleDelivery delivery, const std::string& choice);

// The encoders to try, in order, for `choice` ("" none given, "auto", "x264" or
// a hardware encoder's name): the listed hardware ones, then libx264. A burn
// with no choice tries "" alone: today's line, naming no encoder.
std::vector<std::string> burnInEncoders(SubtitleDelivery delivery, const std::string& choice,
                                        const std::vector<std::string>& listed,
                                        EncoderPlatform platform = kHostEncoderPlatform);

// The burn-in's line for `encoder`: libx264 (or "") keeps the line of the
// delivery (veryfast for burn-fast), a hardware encoder gets its own options.
CommandLine burnInCommandLine(const std::string& encoder, SubtitleDelivery delivery, const std::string& converter,
                              const std::string& mp4Path, const std::string& assPath,
                              const std::string& subOutputPath, PathStyle style = kHostPathStyle);

}  // namespace vk2
