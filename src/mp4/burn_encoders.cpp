#include "mp4/burn_encoders.h"

#include <algorithm>

namespace vk2 {

namespace {

// The render node most single-GPU Linux machines give the first GPU.
constexpr const char* kVaapiDevice = "/dev/dri/renderD128";

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The words of one line, split at blanks; no locale is involved.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line + ' ') {
    if (!isBlank(c) && c != '\r') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

}  // namespace

std::vector<std::string> hardwareEncoders(EncoderPlatform platform) {
  // h264_omx and h264_v4l2m2m are left out: on a PC they either are missing or
  // take minutes to fail.
  std::vector<std::string> names = {"h264_nvenc", "h264_qsv", "h264_amf"};
  if (platform == EncoderPlatform::Windows) names.push_back("h264_mf");
  if (platform == EncoderPlatform::Linux) names.push_back("h264_vaapi");
  return names;
}

std::vector<std::string> encoderChoices(EncoderPlatform platform) {
  std::vector<std::string> choices = {"auto", "x264"};
  for (const std::string& name : hardwareEncoders(platform)) choices.push_back(name);
  return choices;
}

std::vector<std::string> listedEncoders(const std::string& listing) {
  std::vector<std::string> names;
  bool inTable = false;
  std::size_t begin = 0;
  while (begin < listing.size()) {
    std::size_t end = listing.find('\n', begin);
    if (end == std::string::npos) end = listing.size();
    const std::vector<std::string> words = wordsOf(listing.substr(begin, end - begin));
    begin = end + 1;
    if (words.empty()) continue;
    if (!inTable) {
      inTable = words[0] == "------";
      continue;
    }
    if (words.size() >= 2) names.push_back(words[1]);
  }
  return names;
}

bool needsEncoderListing(SubtitleDelivery delivery, const std::string& choice) {
  if (delivery != SubtitleDelivery::Burn && delivery != SubtitleDelivery::BurnFast) return false;
  if (choice == "x264") return false;
  return delivery == SubtitleDelivery::BurnFast || !choice.empty();
}

std::vector<std::string> burnInEncoders(SubtitleDelivery delivery, const std::string& choice,
                                        const std::vector<std::string>& listed, EncoderPlatform platform) {
  if (delivery == SubtitleDelivery::Burn && choice.empty()) return {""};
  std::vector<std::string> encoders;
  for (const std::string& name : hardwareEncoders(platform)) {
    const bool wanted = choice == name || choice.empty() || choice == "auto";
    if (wanted && contains(listed, name)) encoders.push_back(name);
  }
  encoders.push_back(kSoftwareEncoder);
  return encoders;
}

CommandLine burnInCommandLine(const std::string& encoder, SubtitleDelivery delivery, const std::string& converter,
                              const std::string& mp4Path, const std::string& assPath,
                              const std::string& subOutputPath, PathStyle style) {
  if (encoder.empty() || encoder == kSoftwareEncoder)
    return delivery == SubtitleDelivery::BurnFast
               ? fastSubtitleCommandLine(converter, mp4Path, assPath, subOutputPath, style)
               : subtitleCommandLine(converter, mp4Path, assPath, subOutputPath, style);
  std::string input, filterTail, options = " -c:v " + encoder;
  if (encoder == "h264_nvenc") options += " -preset p4";
  if (encoder == "h264_qsv") options += " -preset veryfast";
  if (encoder == "h264_amf") options += " -quality speed";
  if (encoder == "h264_vaapi") {
    // The subtitles are drawn in memory; the encoder takes frames uploaded to the GPU.
    input = std::string(" -vaapi_device ") + kVaapiDevice;
    filterTail = ",format=nv12,hwupload";
  }
  return encoderSubtitleCommandLine(converter, mp4Path, assPath, subOutputPath, input, filterTail, options, style);
}

}  // namespace vk2
