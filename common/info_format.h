// The private-profile (INI) text of INFO.DAT as the Windows profile functions read and write it.
// Pure functions over the file's bytes, so the store, its tests and its fuzz target share them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zor {

// How a file's text is stored. The profile functions read a file that starts with a UTF-16
// byte-order mark (as Notepad saves "Unicode") as UTF-16, and write it back the same way; one that
// starts with the UTF-8 mark as UTF-8; any other file is taken byte for byte. Text of a file in
// either Unicode form passes through the ANSI code page on its way to and from the "A" functions.
enum class TextEncoding { kBytes, kUtf8, kUtf16Le, kUtf16Be };

// The text of a file's bytes as the functions below work on it: UTF-16 becomes UTF-8 without the
// mark (a lone surrogate keeps its own three-byte form, so nothing is lost); other files, UTF-8 with
// its mark included, are returned as they are. An odd last byte of a UTF-16 file is no character; it goes to oddByte.
std::string DecodeProfileFile(std::string_view bytes, TextEncoding& encoding, std::string* oddByte = nullptr);

// The bytes that store text in encoding (UTF-16 with its mark), then oddByte, so that a file written
// back keeps the byte it ended in. A byte that is not part of a UTF-8 sequence stands for the
// character of that number.
std::string EncodeProfileFile(std::string_view text, TextEncoding encoding, std::string_view oddByte = {});

// The raw value of key in section (blanks around it removed, quotes kept), or nullopt when the
// section or key is missing or the key's line has no '='. Only the first section of that name
// counts, and within it the first line of that key.
std::optional<std::string_view> FindProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key);

// A raw value with one pair of matching surrounding quotes removed.
std::string_view UnquoteProfileValue(std::string_view value);

// What a profile read into a buffer of capacity characters returns for a raw value: one pair of
// matching surrounding quotes removed, then at most capacity - 1 characters.
std::string CutProfileValue(std::string_view value, size_t capacity);

// The default as the profile read uses it: trailing blanks removed.
std::string_view TrimDefault(std::string_view def);

// False when section, key or value cannot be written as one entry line without changing the
// meaning of the file (line breaks, a '=' in a key, a ']' in a section, an empty key). The empty
// section is the one before the first header.
bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value);

// content with key's value replaced in place, or the key added at the end of its section, or the
// section added at the end of the file. Every other line stays byte for byte; new lines end in CR LF
// (in lone CRs in a file that uses only those).
// Callers check IsWritableEntry first.
std::string SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value);

}  // namespace zor
