// Conversion between the UTF-8 of our sources and screens and the GBK (code page 936)
// of every text file the program writes.
#pragma once

#include <string>
#include <string_view>

namespace platenest {

// UTF-8 to GBK. Characters GBK cannot hold become '?'.
std::string utf8ToGbk(std::string_view utf8);
// GBK to UTF-8. Invalid bytes become U+FFFD.
std::string gbkToUtf8(std::string_view gbk);
bool isValidUtf8(std::string_view bytes);
// Part names are bytes as read: shown as they are when valid UTF-8, decoded from GBK otherwise.
std::string displayName(std::string_view nameBytes);
// UTF-8 text made safe for a terminal: control characters (C0, DEL, C1: escape sequences that
// would move the cursor, recolour or retitle the terminal) become visible \xNN escapes.
std::string terminalText(std::string_view utf8);

}  // namespace platenest
