#include "platform/profile/portable_profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text/utf16le.h"

namespace platform {

namespace {

// Text is held as UTF-16 units whatever the host's wchar_t: an 8-bit file maps
// each byte to the unit of the same value, so it is written back unchanged.
using Units = std::u16string;
using UnitsView = std::u16string_view;

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorTooManyOpenFiles = 4;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorWriteFault = 29;
constexpr std::uint32_t kErrorReadFault = 30;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorFilenameTooLong = 206;

constexpr UnitsView kCrLf = u"\r\n";

// The host error of a failed open or write, as Windows would report it. An
// open for writing fails with ENOENT only when a directory is missing.
std::uint32_t WindowsCodeOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case ENOSPC: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    default: return kErrorWriteFault;
  }
}

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\v' || unit == u'\f'; }

UnitsView Trim(UnitsView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Names and values end at a zero unit, as the C strings the calls hand out.
UnitsView UpToZero(UnitsView text) { return text.substr(0, text.find(u'\0')); }

// Names compare without regard to ASCII case, as under Wine, where "é" and "É"
// are different names.
char16_t FoldAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit; }

bool SameName(UnitsView a, UnitsView b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

Units FromBytes(std::string_view text) {
  Units out;
  out.reserve(text.size());
  for (char ch : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
  return out;
}

Units FromWide(const wchar_t* text) {
  const std::vector<std::uint8_t> bytes = EncodeUtf16Le(text, false);
  Units out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return out;
}

// 8-bit text from units: beyond Latin-1 a character becomes '?', once for a
// surrogate pair, as a lossy code-page conversion does.
std::string ToBytes(UnitsView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x100) {
      out.push_back(static_cast<char>(static_cast<unsigned char>(unit)));
      continue;
    }
    out.push_back('?');
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    }
  }
  return out;
}

// One pair of matching quotes around the text is dropped, for values and
// defaults alike.
UnitsView Unquote(UnitsView text) {
  if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front()) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

enum class Encoding { kAnsi, kUtf16Le };

struct Line {
  Units text;
  Units end;  // "\r\n", "\n", "\r", or empty for a last line without one
};

struct Document {
  Encoding encoding = Encoding::kAnsi;
  std::vector<Line> lines;
};

enum class LineKind { kBlank, kHeader, kEntry };

struct ParsedLine {
  LineKind kind = LineKind::kBlank;
  UnitsView name;  // section name of a header, key of an entry
  bool hasValue = false;
  UnitsView value;
};

// A header is "[" after optional blanks, up to the last "]" on the line; any
// other line that is not blank is an entry, with a value when it holds "=".
// A line "[name" without "]" is therefore a key without a value.
ParsedLine Parse(const Units& text) {
  ParsedLine parsed;
  const UnitsView line = Trim(text);
  if (line.empty()) return parsed;
  if (line.front() == u'[') {
    const std::size_t close = line.rfind(u']');
    if (close != UnitsView::npos && close > 0) {
      parsed.kind = LineKind::kHeader;
      parsed.name = UpToZero(Trim(line.substr(1, close - 1)));
      return parsed;
    }
  }
  parsed.kind = LineKind::kEntry;
  const std::size_t equals = line.find(u'=');
  if (equals == UnitsView::npos) {
    parsed.name = UpToZero(line);
    return parsed;
  }
  parsed.name = UpToZero(Trim(line.substr(0, equals)));
  parsed.hasValue = true;
  parsed.value = Trim(line.substr(equals + 1));
  return parsed;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void SplitLines(UnitsView text, Document& doc) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = text.find_first_of(u"\r\n", start);
    if (stop == UnitsView::npos) {
      doc.lines.push_back({Units(text.substr(start)), Units()});
      return;
    }
    const std::size_t endSize = (text[stop] == u'\r' && stop + 1 < text.size() && text[stop + 1] == u'\n') ? 2 : 1;
    doc.lines.push_back({Units(text.substr(start, stop - start)), Units(text.substr(stop, endSize))});
    start = stop + endSize;
  }
}

void Decode(const std::string& bytes, Document& doc) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    doc.encoding = Encoding::kUtf16Le;
    Units text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    SplitLines(text, doc);
    return;
  }
  SplitLines(FromBytes(bytes), doc);
}

std::string Encode(const Document& doc) {
  Units text;
  for (const Line& line : doc.lines) {
    text += line.text;
    text += line.end;
  }
  if (doc.encoding == Encoding::kAnsi) return ToBytes(text);
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

enum class LoadResult { kLoaded, kMissing, kFailed };

LoadResult Load(const std::string& hostPath, Document& doc, std::uint32_t& error) {
  errno = 0;
  File file(std::fopen(hostPath.c_str(), "rb"));
  if (!file) {
    const int cause = errno;
    error = (cause == ENOENT || cause == ENOTDIR) ? kErrorFileNotFound : WindowsCodeOf(cause);
    return cause == ENOENT || cause == ENOTDIR ? LoadResult::kMissing : LoadResult::kFailed;
  }
  std::string bytes;
  char chunk[16384];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
  if (std::ferror(file.get())) {
    // A directory opens on some hosts and fails on the first read.
    error = errno == EISDIR ? kErrorAccessDenied : kErrorReadFault;
    return LoadResult::kFailed;
  }
  Decode(bytes, doc);
  return LoadResult::kLoaded;
}

bool Save(const std::string& hostPath, const Document& doc, std::uint32_t& error) {
  const std::string bytes = Encode(doc);
  errno = 0;
  std::FILE* raw = std::fopen(hostPath.c_str(), "wb");
  if (raw == nullptr) {
    error = WindowsCodeOf(errno);
    return false;
  }
  File file(raw);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  const int writeCause = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) {
    error = WindowsCodeOf(written ? errno : writeCause);
    return false;
  }
  return true;
}

// The lines of one section: [begin, end), after its header. The lines before
// the first header form the section with the empty name; otherwise the first
// section of a name is the only one found, as on Windows.
struct Section {
  bool found = false;
  std::size_t header = 0;  // the header line, when hasHeader
  bool hasHeader = false;
  std::size_t begin = 0;
  std::size_t end = 0;
};

Section FindSection(const Document& doc, UnitsView name) {
  Section section;
  const std::size_t count = doc.lines.size();
  std::size_t i = 0;
  if (name.empty()) {
    section.found = true;
    while (i < count && Parse(doc.lines[i].text).kind != LineKind::kHeader) ++i;
    section.end = i;
    return section;
  }
  for (; i < count; ++i) {
    const ParsedLine parsed = Parse(doc.lines[i].text);
    if (parsed.kind == LineKind::kHeader && SameName(parsed.name, name)) break;
  }
  if (i == count) return section;
  section.found = true;
  section.hasHeader = true;
  section.header = i;
  section.begin = i + 1;
  std::size_t j = section.begin;
  while (j < count && Parse(doc.lines[j].text).kind != LineKind::kHeader) ++j;
  section.end = j;
  return section;
}

// The first entry of `key` in the section, or `section.end`.
std::size_t FindKey(const Document& doc, const Section& section, UnitsView key) {
  for (std::size_t i = section.begin; i < section.end; ++i) {
    const ParsedLine parsed = Parse(doc.lines[i].text);
    if (parsed.kind == LineKind::kEntry && SameName(parsed.name, key)) return i;
  }
  return section.end;
}

// A line is inserted before `at`; the line above it then needs an end.
void InsertLine(Document& doc, std::size_t at, Units text) {
  if (at > 0 && doc.lines[at - 1].end.empty()) doc.lines[at - 1].end = Units(kCrLf);
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), Units(kCrLf)});
}

Units Entry(UnitsView key, UnitsView value) {
  Units text(key);
  text += u'=';
  text += value;
  return text;
}

}  // namespace

PortableProfile::PortableProfile(PathMap mapPath) : mapPath_(std::move(mapPath)) {}

std::string PortableProfile::HostPath(const std::string& windowsPath) const {
  return mapPath_ ? mapPath_(windowsPath) : windowsPath;
}

std::uint32_t PortableProfile::ReadStringA(const char* section, const char* key, const char* defaultValue,
                                           char* buffer, std::uint32_t size, const char* path) {
  if (buffer == nullptr || size == 0) return 0;

  Units fallback = FromBytes(defaultValue != nullptr ? defaultValue : "");
  // Trailing blanks of the default are dropped, as Windows documents.
  while (!fallback.empty() && fallback.back() == u' ') fallback.pop_back();
  Units text(Unquote(fallback));

  Document doc;
  if (section != nullptr && key != nullptr && path != nullptr &&
      Load(HostPath(path), doc, lastError_) == LoadResult::kLoaded) {
    const Units sectionName = FromBytes(section);
    const Units keyName = FromBytes(key);
    const Section found = FindSection(doc, Trim(sectionName));
    if (found.found) {
      const std::size_t at = FindKey(doc, found, Trim(keyName));
      if (at < found.end) {
        const ParsedLine parsed = Parse(doc.lines[at].text);
        // A key without "=" is no value: the default stands.
        if (parsed.hasValue) text = Units(Unquote(UpToZero(parsed.value)));
      }
    }
  }

  const std::string bytes = ToBytes(text);
  const std::size_t copied = std::min<std::size_t>(bytes.size(), size - 1);
  std::memcpy(buffer, bytes.data(), copied);
  buffer[copied] = '\0';
  return static_cast<std::uint32_t>(copied);
}

bool PortableProfile::WriteStringA(const char* section, const char* key, const char* value, const char* path) {
  if (path == nullptr) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  const Units sectionUnits = FromBytes(section != nullptr ? section : "");
  const Units keyUnits = FromBytes(key != nullptr ? key : "");
  const Units valueUnits = FromBytes(value != nullptr ? value : "");
  return Write(section != nullptr ? &sectionUnits : nullptr, key != nullptr ? &keyUnits : nullptr,
               value != nullptr ? &valueUnits : nullptr, path);
}

bool PortableProfile::WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                   const wchar_t* path) {
  if (path == nullptr) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  // Host paths are 8-bit here; a character beyond Latin-1 has no file name.
  const std::wstring_view widePath(path);
  if (std::any_of(widePath.begin(), widePath.end(),
                  [](wchar_t ch) { return static_cast<std::uint32_t>(ch) >= 0x100; })) {
    lastError_ = kErrorInvalidName;
    return false;
  }
  const Units sectionUnits = section != nullptr ? FromWide(section) : Units();
  const Units keyUnits = key != nullptr ? FromWide(key) : Units();
  const Units valueUnits = value != nullptr ? FromWide(value) : Units();
  return Write(section != nullptr ? &sectionUnits : nullptr, key != nullptr ? &keyUnits : nullptr,
               value != nullptr ? &valueUnits : nullptr, NarrowLatin1(widePath));
}

std::uint32_t PortableProfile::LastError() { return lastError_; }

bool PortableProfile::Write(const Units* section, const Units* key, const Units* value,
                            const std::string& windowsPath) {
  if (section == nullptr) {
    // All three null only asks Windows to flush its cache; there is none here.
    if (key == nullptr && value == nullptr) return true;
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  const std::string hostPath = HostPath(windowsPath);
  Document doc;
  std::uint32_t error = 0;
  if (Load(hostPath, doc, error) == LoadResult::kFailed) {
    lastError_ = error;
    return false;
  }

  const UnitsView sectionName = Trim(*section);
  const Section found = FindSection(doc, sectionName);
  if (key == nullptr) {
    if (!found.found) return true;
    const std::size_t first = found.hasHeader ? found.header : found.begin;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(first),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(found.end));
  } else {
    const UnitsView keyName = Trim(*key);
    if (!found.found) {
      if (value == nullptr) return true;
      Units header(u"[");
      header += sectionName;
      header += u']';
      InsertLine(doc, doc.lines.size(), std::move(header));
      InsertLine(doc, doc.lines.size(), Entry(keyName, *value));
    } else {
      const std::size_t at = FindKey(doc, found, keyName);
      if (at < found.end) {
        if (value == nullptr) {
          doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
          // The key keeps the spelling it has in the file.
          const Units existing(Parse(doc.lines[at].text).name);
          doc.lines[at].text = Entry(existing, *value);
          if (doc.lines[at].end.empty()) doc.lines[at].end = Units(kCrLf);
        }
      } else {
        if (value == nullptr) return true;
        // A new key goes after the section's last entry, before blank lines
        // that separate it from the next section.
        std::size_t insertAt = found.begin;
        for (std::size_t i = found.begin; i < found.end; ++i) {
          if (Parse(doc.lines[i].text).kind != LineKind::kBlank) insertAt = i + 1;
        }
        InsertLine(doc, insertAt, Entry(keyName, *value));
      }
    }
  }

  if (!Save(hostPath, doc, error)) {
    lastError_ = error;
    return false;
  }
  return true;
}

}  // namespace platform
