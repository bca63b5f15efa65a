#pragma once

#include <libxml/parser.h>

#include <string_view>

// Whether libxml2, the XML reader most programs here are built on, takes the text. Besides malformed text it refuses,
// by default, elements nested more than 256 deep.
inline bool isWellFormedXml(std::string_view xml) {
  xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeDoc(document);
  return document != nullptr;
}
