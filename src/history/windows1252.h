#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the single-byte Windows-1252 texts of the list and the
// log file, and the UTF-16 texts of the panels and the widgets.

// Every byte maps to one UTF-16 unit; the five undefined bytes map to themselves.
std::u16string windows1252ToUtf16(std::string_view text);

// The UTF-8 of a Windows-1252 text, byte for byte as windows1252ToUtf16 reads it.
std::string windows1252ToUtf8(std::string_view text);

// The Windows-1252 bytes of a UTF-16 text, or nothing when a character has no byte.
std::optional<std::string> utf16ToWindows1252(std::u16string_view text);

// The C0 controls, DEL, and the five undefined bytes (which read as C1
// controls): bytes that no tag or log line ever holds.
inline bool isControlByte(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
           code == 0x90 || code == 0x9D;
}

bool hasControlByte(std::string_view text);
