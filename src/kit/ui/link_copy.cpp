#include "kit/ui/link_copy.h"

#include "kit/foundation/pasteboard_markers.h"
#include "kit/foundation/zv_app.h"

namespace kit {

void copyUrlToGeneral(const platform::Url& url, const std::function<void()>& completion,
                      platform::Pasteboard& pasteboard) {
  platform::PasteboardItem item;
  setUrl(item, url);
  std::vector<platform::PasteboardEntry> entries;
  entries.reserve(item.types.size() + 1);
  for (const auto& type : item.types) entries.push_back({type, item.dataByType[type]});
  entries.push_back({PasteboardType::source, ZvApp::id()});
  pasteboard.write(std::move(entries));
  if (completion) completion();
}

void copyText(platform::Pasteboard& pasteboard, const std::string& text) {
  pasteboard.write({{platform::PasteboardType::string, text}, {PasteboardType::source, ZvApp::id()}});
}

}  // namespace kit
