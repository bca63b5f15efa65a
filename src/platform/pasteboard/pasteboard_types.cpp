#include "platform/pasteboard/pasteboard.h"

namespace platform::PasteboardType {

const std::string string = "public.utf8-plain-text";
const std::string html = "public.html";
const std::string rtf = "public.rtf";
const std::string rtfd = "com.apple.flat-rtfd";
const std::string fileUrl = "public.file-url";
const std::string fileContents = "com.apple.pasteboard.promised-file-content-type";
const std::string url = "public.url";
const std::string tiff = "public.tiff";
const std::string font = "com.apple.cocoa.pasteboard.character-formatting";
const std::string color = "com.apple.cocoa.pasteboard.color";

}  // namespace platform::PasteboardType
