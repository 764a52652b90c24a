#include "mmv/merge.h"

namespace vk2 {

uint64_t RebaseStreamTime(ConversionState& state, uint8_t frameType, uint64_t sourceTime) {
  StreamClock* clock = nullptr;
  uint64_t step = 0;
  switch (frameType) {
    case kFrameVideo0:
    case kFrameVideo1:
      clock = &state.streamClocks[kVideoClock];
      step = 33;
      break;
    case kFrameAudio:
      clock = &state.streamClocks[kAudioClock];
      step = 40;
      break;
    case kFrameDrv:
      clock = &state.streamClocks[kDrvClock];
      step = 100;
      break;
    default:
      return 0;
  }
  // A source time that stands still or goes back (a new input starting its
  // clock again) costs one step; otherwise the source's own difference is kept.
  if (clock->rebasedTime == 0 || sourceTime > clock->lastSourceTime)
    clock->rebasedTime += sourceTime - clock->lastSourceTime;
  else
    clock->rebasedTime += step;
  clock->lastSourceTime = sourceTime;
  return clock->rebasedTime;
}

}  // namespace vk2
