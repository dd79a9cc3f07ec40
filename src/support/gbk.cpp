// GBK through the C library's iconv. Every text file the shop's tools read is GBK, so the
// conversion must never fail outright: what cannot be converted is replaced, never dropped.
#include "support/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace platenest {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One open converter per direction, reused; the shift state is reset before each use.
class Converter {
 public:
  Converter(const char* to, const char* from) {
    handle_ = iconv_open(to, from);
    // Some C libraries know the code page only by its Windows name.
    if (handle_ == kNoConverter) {
      const bool toGbk = std::string_view(to) == "GBK";
      handle_ = toGbk ? iconv_open("CP936", from) : iconv_open(to, "CP936");
    }
  }
  ~Converter() {
    if (handle_ != kNoConverter) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return handle_ != kNoConverter; }

  // Converts as much as it can. Returns the number of input bytes consumed; stops at the
  // first sequence it cannot convert or that is cut off at the end.
  std::size_t convert(std::string_view input, std::string& output) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
      output.append(buffer, static_cast<std::size_t>(out - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return input.size() - inLeft;
  }

 private:
  iconv_t handle_ = kNoConverter;
};

// Length of the UTF-8 sequence that starts with `lead`, at least 1.
std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

// Appends U+FFFD REPLACEMENT CHARACTER.
void appendReplacement(std::string& output) { output += "\xEF\xBF\xBD"; }

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
  static Converter converter("GBK", "UTF-8");
  std::string output;
  output.reserve(utf8.size());
  if (!converter.valid()) {
    // Without a converter, plain ASCII is still right; everything else is marked.
    for (unsigned char c : utf8) output += c < 0x80 ? static_cast<char>(c) : '?';
    return output;
  }
  while (!utf8.empty()) {
    const std::size_t used = converter.convert(utf8, output);
    utf8.remove_prefix(used);
    if (utf8.empty()) break;
    // A character GBK cannot hold, or a broken sequence: one '?' for the whole character.
    std::size_t skip = utf8SequenceLength(static_cast<unsigned char>(utf8.front()));
    std::size_t valid = 1;
    while (valid < skip && valid < utf8.size() &&
           (static_cast<unsigned char>(utf8[valid]) & 0xC0) == 0x80) {
      ++valid;
    }
    output += '?';
    utf8.remove_prefix(valid);
  }
  return output;
}

std::string gbkToUtf8(std::string_view gbk) {
  static Converter converter("UTF-8", "GBK");
  std::string output;
  output.reserve(gbk.size() * 3 / 2);
  if (!converter.valid()) {
    for (unsigned char c : gbk) {
      if (c < 0x80) {
        output += static_cast<char>(c);
      } else {
        appendReplacement(output);
      }
    }
    return output;
  }
  while (!gbk.empty()) {
    const std::size_t used = converter.convert(gbk, output);
    gbk.remove_prefix(used);
    if (gbk.empty()) break;
    appendReplacement(output);
    gbk.remove_prefix(1);
  }
  return output;
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = utf8SequenceLength(lead);
    if (length == 1 || i + length > bytes.size()) return false;
    const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (second < low || second > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::string terminalText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto escape = [&out](unsigned value) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[(value >> 4) & 15];
    out += kHex[value & 15];
  };
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 || c == 0x7f) {
      escape(c);
    } else if (c == 0xc2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9f) {
      escape(static_cast<unsigned char>(utf8[++i]));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string displayName(std::string_view nameBytes) {
  if (isValidUtf8(nameBytes)) return std::string(nameBytes);
  return gbkToUtf8(nameBytes);
}

}  // namespace platenest
