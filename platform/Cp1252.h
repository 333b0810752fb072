// Windows-1252, the single-byte code page of the tool's texts and of parameter-set files.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Encodes text as Windows-1252; characters the code page lacks become '?'.
std::string toCp1252(const QString& text);
// Decodes Windows-1252 bytes; the five unassigned bytes map to the C1 control of the same value.
QString fromCp1252(std::string_view bytes);
// True when bytes are well-formed UTF-8 (ASCII included).
bool isValidUtf8(std::string_view bytes);
// UTF-8 when valid, Windows-1252 otherwise: how files of the earlier Windows program are read.
// A leading UTF-8 signature is dropped either way.
QString decodeTextFile(std::string_view bytes);
