// Windows-1252 text, as the metafiles store it, to UTF-8.
#pragma once

#include <string>
#include <string_view>

std::string Cp1252ToUtf8(std::string_view text);
// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char c);
