#include "json_keys.h"

#include <map>
#include <vector>

namespace zentra {

namespace {

struct Place {
  size_t line = 1;
  size_t column = 1;
  std::string Text() const { return "line " + std::to_string(line) + ", column " + std::to_string(column); }
};

struct Container {
  bool object = false;
  std::string name;      // as the manifest's messages name it: "window", "items[2]"
  size_t index = 0;      // the next element of a list
  std::string lastKey;   // the key whose value comes next
  bool expectKey = true;
  std::map<std::string, Place> keys;
};

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}

  std::optional<std::string> Run() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '/' && at_ + 1 < text_.size() && (text_[at_ + 1] == '/' || text_[at_ + 1] == '*')) {
        SkipComment();
      } else if (c == '"') {
        const Place place = here_;
        const std::string word = String();
        if (!stack_.empty() && stack_.back().object && stack_.back().expectKey) {
          if (auto message = Key(word, place)) return message;
        }
      } else if (c == '{' || c == '[') {
        const std::string name = ChildName();
        Step();
        Container container;
        container.object = c == '{';
        container.name = name;
        stack_.push_back(std::move(container));
        continue;
      } else if (c == '}' || c == ']') {
        if (stack_.empty()) return std::nullopt;
        stack_.pop_back();
      } else if (c == ',') {
        if (!stack_.empty()) {
          if (stack_.back().object) stack_.back().expectKey = true;
          else ++stack_.back().index;
        }
      } else if (c == ':') {
        if (!stack_.empty()) stack_.back().expectKey = false;
      }
      Step();
    }
    return std::nullopt;
  }

 private:
  std::optional<std::string> Key(const std::string& key, const Place& place) {
    Container& object = stack_.back();
    object.lastKey = key;
    const auto [earlier, inserted] = object.keys.emplace(key, place);
    if (inserted) return std::nullopt;
    return (object.name.empty() ? std::string("manifest") : object.name) + ": \"" + key +
           "\" appears twice, at " + earlier->second.Text() + " and at " + place.Text() +
           "; JSON would keep only the second";
  }

  std::string ChildName() const {
    if (stack_.empty()) return {};
    const Container& parent = stack_.back();
    if (parent.object) return parent.name.empty() ? parent.lastKey : parent.name + "." + parent.lastKey;
    return parent.name + "[" + std::to_string(parent.index) + "]";
  }

  void Step() {
    if (at_ >= text_.size()) return;
    if (text_[at_] == '\n') {
      ++here_.line;
      here_.column = 1;
    } else if ((static_cast<unsigned char>(text_[at_]) & 0xC0) != 0x80) {
      ++here_.column;  // columns count characters, not the bytes of UTF-8
    }
    ++at_;
  }

  // Leaves `at_` on the closing quote; the raw text between the quotes is the key's identity.
  std::string String() {
    Step();
    std::string word;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\' && at_ + 1 < text_.size()) {
        word += text_[at_];
        Step();
      }
      word += text_[at_];
      Step();
    }
    return word;
  }

  void SkipComment() {
    const bool line = text_[at_ + 1] == '/';
    Step();
    Step();
    while (at_ < text_.size()) {
      if (line && text_[at_] == '\n') return;  // the newline is stepped over by the caller
      if (!line && text_[at_] == '*' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
        Step();
        return;
      }
      Step();
    }
  }

  const std::string& text_;
  size_t at_ = 0;
  Place here_;
  std::vector<Container> stack_;
};

}  // namespace

std::optional<std::string> FindDuplicateKey(const std::string& text) { return Scanner(text).Run(); }

}  // namespace zentra
