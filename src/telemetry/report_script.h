#pragma once
// The report page's own style sheet and script, written into every page: no
// library, nothing fetched, so the page works offline and shows what it holds.
namespace vk2 {

extern const char* const kReportStyle;
extern const char* const kReportScript;

}  // namespace vk2
