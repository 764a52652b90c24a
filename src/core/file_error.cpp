#include "core/file_error.h"

#include <cstring>

namespace vk2 {

std::string systemReason(int errnum) { return std::strerror(errnum); }

}  // namespace vk2
