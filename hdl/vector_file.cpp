#include "hdl/vector_file.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace codexel::hdl {

namespace {

struct Token {
  std::string text;  // a word, or one of ; > = [ ] ..
  int line = 0;
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  int line = 1;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '%') {
      const std::size_t end = text.find('%', i + 1);
      if (end == std::string_view::npos) {
        throw VectorFileError("line " + std::to_string(line) + ": a comment has no closing %");
      }
      line += static_cast<int>(std::count(text.begin() + static_cast<long>(i), text.begin() + static_cast<long>(end), '\n'));
      i = end + 1;
    } else if (IsWordChar(c)) {
      std::size_t end = i;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      tokens.push_back({std::string(text.substr(i, end - i)), line});
      i = end;
    } else if (c == '.' && i + 1 < text.size() && text[i + 1] == '.') {
      tokens.push_back({"..", line});
      i += 2;
    } else if (c == ';' || c == '>' || c == '=' || c == '[' || c == ']') {
      tokens.push_back({std::string(1, c), line});
      ++i;
    } else {
      const unsigned char u = static_cast<unsigned char>(c);
      const std::string shown = std::isprint(u) ? "'" + std::string(1, c) + "'"
                                                : "byte " + std::to_string(static_cast<int>(u));
      throw VectorFileError("line " + std::to_string(line) + ": unexpected " + shown);
    }
  }
  return tokens;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(Tokenize(text)) {}

  VectorFile Parse() {
    bool have_stop = false;
    while (pos_ < tokens_.size()) {
      const std::string keyword = Upper(Next("a statement").text);
      if (keyword == "START" || keyword == "STOP" || keyword == "INTERVAL") {
        const long long value = Time(Next("a time"));
        Expect(";");
        if (keyword == "START") file_.start = value;
        if (keyword == "STOP") {
          file_.stop = value;
          have_stop = true;
        }
        if (keyword == "INTERVAL") {
          if (value <= 0) Fail(Previous(), "the interval must be positive");
          file_.interval = value;
        }
      } else if (keyword == "RADIX") {
        const Token& token = Next("a radix");
        const std::string name = Upper(token.text);
        static const std::map<std::string, int> radixes = {{"DEC", 10}, {"HEX", 16}, {"OCT", 8}, {"BIN", 2}};
        const auto it = radixes.find(name);
        if (it == radixes.end()) Fail(token, "unknown radix " + token.text);
        radix_ = it->second;
        Expect(";");
      } else if (keyword == "INPUTS" || keyword == "OUTPUTS") {
        const bool output = keyword == "OUTPUTS";
        if (group_used_ || (!output && !group_outputs_.empty())) {
          group_inputs_.clear();
          group_outputs_.clear();
          group_used_ = false;
        }
        Declare(output);
      } else if (keyword == "PATTERN") {
        Pattern(Previous());
        group_used_ = true;
      } else {
        Fail(Previous(), "unknown statement " + Previous().text);
      }
    }
    if (!have_stop) throw VectorFileError("the file has no STOP");
    std::stable_sort(file_.expectations.begin(), file_.expectations.end(),
                     [](const Expectation& a, const Expectation& b) { return a.time < b.time; });
    return file_;
  }

 private:
  [[noreturn]] void Fail(const Token& token, const std::string& what) const {
    throw VectorFileError("line " + std::to_string(token.line) + ": " + what);
  }

  const Token& Previous() const { return tokens_[pos_ - 1]; }

  const Token& Next(const std::string& wanted) {
    if (pos_ >= tokens_.size()) {
      throw VectorFileError("the file ends where " + wanted + " should come");
    }
    return tokens_[pos_++];
  }

  bool Peek(const char* text) const { return pos_ < tokens_.size() && tokens_[pos_].text == text; }

  void Expect(const char* text) {
    const Token& token = Next(std::string("'") + text + "'");
    if (token.text != text) Fail(token, std::string("expected '") + text + "', found '" + token.text + "'");
  }

  std::uint64_t Number(const Token& token, int radix, const char* what) const {
    std::uint64_t value = 0;
    if (token.text.empty()) Fail(token, std::string("expected ") + what);
    for (char c : token.text) {
      const int digit = std::isdigit(static_cast<unsigned char>(c))
                            ? c - '0'
                            : std::isalpha(static_cast<unsigned char>(c))
                                  ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                                  : 99;
      if (digit >= radix) Fail(token, std::string("expected ") + what + ", found '" + token.text + "'");
      if (value > (~std::uint64_t{0} - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(radix)) {
        Fail(token, std::string(what) + " " + token.text + " is too large");
      }
      value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    }
    return value;
  }

  long long Time(const Token& token) const {
    const std::uint64_t value = Number(token, 10, "a time");
    if (value > (std::uint64_t{1} << 53)) Fail(token, "the time " + token.text + " is too large");
    return static_cast<long long>(value);
  }

  int SignalIndex(const Token& name, bool output, int width) {
    const int found = file_.Find(name.text);
    if (found >= 0) {
      VectorSignal& signal = file_.signals[static_cast<std::size_t>(found)];
      if (signal.output != output) Fail(name, name.text + " is declared both as input and as output");
      if (width && signal.declared_width && width != signal.declared_width) {
        Fail(name, name.text + " is declared with two widths");
      }
      if (width) signal.declared_width = width;
      return found;
    }
    file_.signals.push_back(VectorSignal{name.text, output, width, {}, {}});
    return static_cast<int>(file_.signals.size()) - 1;
  }

  void Declare(bool output) {
    std::vector<int>& group = output ? group_outputs_ : group_inputs_;
    bool any = false;
    for (;;) {
      const Token& name = Next("a signal name or ';'");
      if (name.text == ";") break;
      if (!IsWordChar(name.text[0]) || std::isdigit(static_cast<unsigned char>(name.text[0]))) {
        Fail(name, "expected a signal name, found '" + name.text + "'");
      }
      int width = 0;
      if (Peek("[")) {
        ++pos_;
        const std::uint64_t high = Number(Next("a bit index"), 10, "a bit index");
        Expect("..");
        const std::uint64_t low = Number(Next("a bit index"), 10, "a bit index");
        Expect("]");
        if (high < low || high - low >= 64) Fail(name, "bad index range of " + name.text);
        width = static_cast<int>(high - low + 1);
      }
      const int index = SignalIndex(name, output, width);
      if (std::find(group.begin(), group.end(), index) != group.end()) {
        Fail(name, name.text + " is named twice");
      }
      group.push_back(index);
      any = true;
    }
    if (!any) Fail(Previous(), "a declaration names no signal");
  }

  std::uint64_t Value(int signal) {
    const Token& token = Next("a value");
    const std::uint64_t value = Number(token, radix_, "a value");
    const int width = file_.signals[static_cast<std::size_t>(signal)].declared_width;
    if (width && width < 64 && value >> width) {
      Fail(token, "the value " + token.text + " does not fit " + std::to_string(width) + " bits");
    }
    return value;
  }

  VectorSignal& Signal(int index) { return file_.signals[static_cast<std::size_t>(index)]; }

  void Pattern(const Token& head) {
    if (group_used_ || group_inputs_.empty()) Fail(head, "PATTERN without INPUTS before it");
    for (int input : group_inputs_) {
      const VectorSignal& s = Signal(input);
      if (!s.repeating.empty() || !s.timed.empty()) Fail(head, s.name + " is driven by two patterns");
    }
    const bool timed = pos_ + 1 < tokens_.size() && tokens_[pos_ + 1].text == ">";
    if (!timed) {
      if (!group_outputs_.empty()) Fail(head, "a repeating pattern cannot state outputs");
      if (file_.interval <= 0) Fail(head, "a repeating pattern needs an INTERVAL before it");
      std::size_t count = 0;
      while (!Peek(";")) {
        const int input = group_inputs_[count % group_inputs_.size()];
        const std::uint64_t value = Value(input);
        Signal(input).repeating.push_back(value);
        ++count;
      }
      ++pos_;
      if (count == 0 || count % group_inputs_.size()) Fail(Previous(), "incomplete group of values");
      return;
    }
    long long last = -1;
    for (;;) {
      const Token& time_token = Next("a time");
      const long long time = Time(time_token);
      if (time < last) Fail(time_token, "the time " + time_token.text + " comes before the one above it");
      last = time;
      Expect(">");
      for (int input : group_inputs_) Signal(input).timed.push_back({time, Value(input)});
      if (Peek("=")) {
        ++pos_;
        if (group_outputs_.empty()) Fail(Previous(), "expected values but no OUTPUTS declared");
        for (int output : group_outputs_) file_.expectations.push_back({time, output, Value(output)});
      }
      if (Peek(";")) {
        ++pos_;
        return;
      }
    }
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  VectorFile file_;
  int radix_ = 2;
  std::vector<int> group_inputs_;
  std::vector<int> group_outputs_;
  bool group_used_ = false;
};

}  // namespace

int VectorFile::Find(const std::string& name) const {
  for (std::size_t i = 0; i < signals.size(); ++i) {
    if (signals[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

VectorFile ParseVectorFile(std::string_view text) { return Parser(text).Parse(); }

}  // namespace codexel::hdl
