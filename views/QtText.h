// Metafile texts (Windows-1252) for the widgets.
#pragma once

#include <QString>
#include <cstring>

#include "platform/TextCodec.h"

// Every Windows-1252 byte is one UTF-16 code unit.
inline QString FromCp1252(const char* text, qsizetype length) {
  QString out(length, Qt::Uninitialized);
  QChar* p = out.data();
  for (qsizetype i = 0; i < length; ++i) p[i] = QChar(static_cast<char16_t>(Cp1252ToCodePoint(static_cast<unsigned char>(text[i]))));
  return out;
}
inline QString FromCp1252(const char* text) { return text ? FromCp1252(text, static_cast<qsizetype>(std::strlen(text))) : QString(); }
inline QString FromCp1252(std::string_view text) { return FromCp1252(text.data(), static_cast<qsizetype>(text.size())); }
