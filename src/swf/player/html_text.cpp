#include "swf/player/html_text.h"

#include <cstdlib>

namespace tavelin::swf::player {
namespace {

// Styles beyond this many in one field reuse the last one.
constexpr std::size_t kMaxStyles = 1000;
// Nesting beyond this depth is not tracked (closing tags still pop what was pushed).
constexpr std::size_t kMaxNesting = 100;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

// The value of attribute `name` in a tag's text (quoted with " or '), or empty.
std::string Attribute(const std::string& tag, const std::string& name) {
  const std::string lower = Lower(tag);
  std::size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    const bool startsWord = at > 0 && (lower[at - 1] == ' ' || lower[at - 1] == '\t' || lower[at - 1] == '\n');
    std::size_t p = at + name.size();
    while (p < lower.size() && lower[p] == ' ') ++p;
    if (!startsWord || p >= lower.size() || lower[p] != '=') {
      at += name.size();
      continue;
    }
    ++p;
    while (p < lower.size() && lower[p] == ' ') ++p;
    if (p >= tag.size()) return {};
    const char quote = tag[p];
    if (quote == '"' || quote == '\'') {
      const std::size_t end = tag.find(quote, p + 1);
      return tag.substr(p + 1, end == std::string::npos ? std::string::npos : end - p - 1);
    }
    const std::size_t end = tag.find(' ', p);
    return tag.substr(p, end == std::string::npos ? std::string::npos : end - p);
  }
  return {};
}

class RunBuilder {
 public:
  RunBuilder(const TextStyle& base, int movieVersion) : movieVersion_(movieVersion) { stack_.push_back(base); }

  void Text(const std::string& bytes) {
    if (bytes.empty()) return;
    const std::uint16_t index = CurrentIndex();
    for (char32_t c : DecodeFieldText(bytes, movieVersion_)) {
      out_.text.push_back(c);
      out_.styleOf.push_back(index);
    }
  }
  void LineBreak() { Text("\n"); }
  void Push(TextStyle style) {
    if (stack_.size() < kMaxNesting) {
      stack_.push_back(std::move(style));
    } else {
      ++ignoredPushes_;
    }
  }
  void Pop() {
    if (ignoredPushes_ > 0) {
      --ignoredPushes_;
    } else if (stack_.size() > 1) {
      stack_.pop_back();
    }
  }
  const TextStyle& Current() const { return stack_.back(); }
  StyledText Take() { return std::move(out_); }

 private:
  std::uint16_t CurrentIndex() {
    const TextStyle& s = stack_.back();
    if (!out_.styles.empty()) {
      const TextStyle& last = out_.styles.back();
      if (last.face == s.face && last.bold == s.bold && last.italic == s.italic && last.color == s.color && last.size == s.size) {
        return static_cast<std::uint16_t>(out_.styles.size() - 1);
      }
    }
    if (out_.styles.size() < kMaxStyles) out_.styles.push_back(s);
    return static_cast<std::uint16_t>(out_.styles.size() - 1);
  }

  int movieVersion_;
  std::vector<TextStyle> stack_;
  std::size_t ignoredPushes_ = 0;
  StyledText out_;
};

}  // namespace

std::u32string DecodeFieldText(const std::string& text, int movieVersion) {
  std::u32string out;
  if (movieVersion < 6) {
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
  }
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : (byte >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size())) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = code << 6 | (next & 0x3F);
    }
    out.push_back(valid ? code : 0xFFFD);
    i += valid ? static_cast<std::size_t>(extra) + 1 : 1;
  }
  return out;
}

StyledText PlainText(const std::string& text, const TextStyle& style, int movieVersion) {
  RunBuilder runs(style, movieVersion);
  runs.Text(text);
  return runs.Take();
}

StyledText ParseHtmlText(const std::string& html, const TextStyle& base, int movieVersion) {
  RunBuilder runs(base, movieVersion);
  std::string pending;
  bool paragraphOpen = false;
  const auto flush = [&] {
    runs.Text(pending);
    pending.clear();
  };
  for (std::size_t i = 0; i < html.size();) {
    if (html[i] == '&') {
      static const std::pair<const char*, const char*> kEntities[] = {
          {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", " "}};
      bool matched = false;
      for (const auto& [entity, text] : kEntities) {
        const std::size_t length = std::char_traits<char>::length(entity);
        if (html.compare(i, length, entity) == 0) {
          pending += text;
          i += length;
          matched = true;
          break;
        }
      }
      if (!matched) pending.push_back(html[i++]);
      continue;
    }
    if (html[i] != '<') {
      pending.push_back(html[i++]);
      continue;
    }
    const std::size_t close = html.find('>', i);
    if (close == std::string::npos) break;
    const std::string tag = html.substr(i + 1, close - i - 1);
    i = close + 1;
    flush();
    const bool closing = !tag.empty() && tag[0] == '/';
    std::string name = Lower(tag.substr(closing ? 1 : 0, tag.find_first_of(" \t\n/", closing ? 1 : 0) - (closing ? 1 : 0)));
    if (name == "br") {
      runs.LineBreak();
    } else if (name == "p" || name == "li") {
      // A paragraph starts on a new line unless it is the first; its end breaks the line.
      if (closing) {
        runs.LineBreak();
        paragraphOpen = false;
      } else if (paragraphOpen) {
        runs.LineBreak();
      }
      if (!closing) paragraphOpen = true;
    } else if (name == "b" || name == "i" || name == "u" || name == "font" || name == "a" || name == "span") {
      if (closing) {
        runs.Pop();
        continue;
      }
      TextStyle style = runs.Current();
      if (name == "b") style.bold = true;
      if (name == "i") style.italic = true;
      if (name == "font") {
        const std::string face = Attribute(tag, "face");
        if (!face.empty()) style.face = face;
        const std::string color = Attribute(tag, "color");
        if (color.size() == 7 && color[0] == '#') {
          const unsigned long rgb = std::strtoul(color.c_str() + 1, nullptr, 16);
          style.color = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb),
                         style.color.a};
        }
        const std::string size = Attribute(tag, "size");
        if (!size.empty()) {
          const long points = std::strtol(size.c_str(), nullptr, 10);
          const bool relative = size[0] == '+' || size[0] == '-';
          const double twips = relative ? style.size + points * 20.0 : points * 20.0;
          if (twips > 0 && twips < 20000) style.size = twips;
        }
      }
      runs.Push(std::move(style));
    }
  }
  flush();
  StyledText text = runs.Take();
  // The closing paragraph at the very end adds no empty line.
  if (!text.text.empty() && text.text.back() == U'\n') {
    text.text.pop_back();
    text.styleOf.pop_back();
  }
  return text;
}

}  // namespace tavelin::swf::player
