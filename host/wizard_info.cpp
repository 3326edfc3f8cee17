#include "host/wizard_info.h"

#include <istream>
#include <ostream>
#include <string_view>
#include <vector>

#include "host/number_text.h"

namespace codexel {

// ---- WizardInfoTable ----

bool WizardInfoTable::Add(const WizardInfoRecord& record) {
  for (auto& slot : slots_) {
    if (slot.name.empty()) {
      slot = record;
      ++count_;
      return true;
    }
  }
  if (slots_.size() >= static_cast<std::size_t>(kCapacity)) return false;
  slots_.push_back(record);
  ++count_;
  return true;
}

const WizardInfoRecord* WizardInfoTable::RecordAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
  const WizardInfoRecord& slot = slots_[static_cast<std::size_t>(index)];
  return slot.name.empty() ? nullptr : &slot;
}

const WizardInfoRecord* WizardInfoTable::FindByName(const std::string& name) const {
  for (const auto& slot : slots_) {
    if (slot.name.empty()) return nullptr;
    if (slot.name == name) return &slot;
  }
  return nullptr;
}

int WizardInfoTable::GetNumeric(const std::string& name, int fallback) const {
  const WizardInfoRecord* record = FindByName(name);
  return record ? ToInteger(record->value) : fallback;
}

void WizardInfoTable::Clear() {
  slots_.clear();
  count_ = 0;
}

bool WizardInfoTable::AddNumeric(const std::string& name, int value) {
  WizardInfoRecord record;
  record.name = name;
  record.type = "NUMERIC";
  record.value = FormatInt(value);
  return Add(record);
}

bool WizardInfoTable::AddString(const std::string& name, const std::string& text) {
  WizardInfoRecord record;
  record.name = name;
  record.type = "STRING";
  record.value = text;
  return Add(record);
}

bool WizardInfoTable::AddUsedPort(const std::string& name, int width,
                                  const std::string& default_value, int direction,
                                  int low_bit) {
  WizardInfoRecord record;
  record.name = name;
  record.type = direction == 0 ? "INPUT" : direction == 1 ? "OUTPUT" : "BIDIR";
  record.aux1 = "0";
  record.aux2 = "0";
  record.width = FormatInt(width);
  record.low_bit = FormatInt(low_bit);
  record.value = default_value;
  record.port_text = width == 0 ? name
                                : name + "[" + FormatInt(static_cast<long long>(low_bit) + width - 1) +
                                      ".." + FormatInt(low_bit) + "]";
  return Add(record);
}

bool WizardInfoTable::AddConnection(const std::string& source, const std::string& destination,
                                    int width, int low_bit) {
  const std::string width_text = FormatInt(width);
  WizardInfoRecord record;
  record.peer_name = source;
  record.peer_aux1 = "0";
  record.peer_aux2 = "0";
  record.peer_width = width_text;
  record.peer_low_bit = FormatInt(low_bit);
  record.name = destination;
  record.aux1 = "0";
  record.aux2 = "0";
  // A destination that starts with a digit is a constant and has no width.
  const bool constant = destination.empty() || (destination[0] >= '0' && destination[0] <= '9');
  record.width = constant ? "0" : width_text;
  record.low_bit = FormatInt(low_bit);
  return Add(record);
}

// ---- WizardInfoModel ----

void WizardInfoModel::ClearWizardInfo() {
  private_values.Clear();
  constants.Clear();
  parameters.Clear();
  used_ports.Clear();
  connections.Clear();
}

bool WizardInfoModel::AddConstantNumber(const std::string& name, int value) {
  return constants.AddNumeric(name, value);
}

bool WizardInfoModel::AddConstantText(const std::string& name, const std::string& text) {
  return constants.AddString(name, text);
}

bool WizardInfoModel::AddPrivateNumber(const std::string& name, int value) {
  return private_values.AddNumeric(name, value);
}

bool WizardInfoModel::AddPortWithConnection(const std::string& name, int width, int direction,
                                            int low_bit, const std::string& default_value) {
  if (!used_ports.AddUsedPort(name, width, default_value, direction, low_bit)) return false;
  const std::string pin = "@" + name;
  if (direction == 0) return connections.AddConnection(pin, name, width, low_bit);
  return connections.AddConnection(name, pin, width, low_bit);
}

// ---- Escaping ----

std::string EscapeValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string UnescapeValue(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      const char next = raw[i + 1];
      if (next == '\\') { out += '\\'; ++i; continue; }
      if (next == 'n') { out += '\n'; ++i; continue; }
      if (next == 't') { out += '\t'; ++i; continue; }
    }
    out += raw[i];
  }
  return out;
}

// ---- Writer ----

namespace {

void WriteValueSection(std::ostream& out, const char* keyword, const WizardInfoTable& table) {
  int index = 0;
  for (; const WizardInfoRecord* r = table.RecordAt(index); ++index) {
    out << keyword << ' ' << r->name << ' ' << r->type << " \"" << EscapeValue(r->value)
        << "\"\n";
  }
  if (index > 0) out << '\n';
}

}  // namespace

void WriteWizardInfoBlock(std::ostream& out, const WizardInfoModel& model,
                          const std::string& module_name, const SymbolLinesWriter* symbol) {
  out << "GENERATION: STANDARD\n"
      << "VERSION: WM1.0\n"
      << "MODULE: " << module_name << "\n"
      << "\n";
  WriteValueSection(out, "PRIVATE:", model.private_values);
  WriteValueSection(out, "CONSTANT:", model.constants);
  WriteValueSection(out, "PARAMETER:", model.parameters);

  int index = 0;
  for (; const WizardInfoRecord* r = model.used_ports.RecordAt(index); ++index) {
    out << "USED_PORT: " << r->name << ' ' << r->aux1 << ' ' << r->aux2 << ' ' << r->width << ' '
        << r->low_bit << ' ' << r->type << ' ' << r->value << ' ' << r->port_text << '\n';
  }
  if (index > 0) out << '\n';

  index = 0;
  for (; const WizardInfoRecord* r = model.connections.RecordAt(index); ++index) {
    out << "CONNECT: " << r->peer_name << ' ' << r->peer_aux1 << ' ' << r->peer_aux2 << ' '
        << r->peer_width << ' ' << r->peer_low_bit << ' ' << r->name << ' ' << r->aux1 << ' '
        << r->aux2 << ' ' << r->width << ' ' << r->low_bit << '\n';
  }
  if (index > 0) out << '\n';

  if (symbol) symbol->WriteSymbol(out);
}

// ---- Reader ----

namespace {

constexpr std::size_t kLineBuffer = 256;  // lines are read in pieces of 255 characters
constexpr int kMaxValueJoins = 99;

// Hands the input, piece by piece, to `parse`: the pieces a 256-byte line
// buffer takes, one after the other. A carriage return right before a line
// feed belongs to the line end, as a text-mode read on a CR LF platform would
// deliver it. Only one piece is held at a time, whatever the input's size.
template <typename Parse>
void ForEachPiece(std::istream& in, Parse parse) {
  std::streambuf* source = in.rdbuf();
  if (!source) return;
  using Traits = std::char_traits<char>;
  std::string piece;
  piece.reserve(kLineBuffer);
  for (Traits::int_type c = source->sbumpc(); !Traits::eq_int_type(c, Traits::eof());
       c = source->sbumpc()) {
    if (c == '\r' && Traits::eq_int_type(source->sgetc(), '\n')) continue;
    piece += Traits::to_char_type(c);
    if (c == '\n' || piece.size() == kLineBuffer - 1) {
      parse(piece);
      piece.clear();
    }
  }
  if (!piece.empty()) parse(piece);
  in.setstate(std::ios::eofbit);
}

class Tokens {
 public:
  explicit Tokens(std::string_view line) {
    // Text after a NUL byte is not part of the line.
    line = line.substr(0, line.find('\0'));
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && IsDelimiter(line[i])) ++i;
      const std::size_t start = i;
      while (i < line.size() && !IsDelimiter(line[i])) ++i;
      if (i > start) tokens_.emplace_back(line.substr(start, i - start));
    }
  }
  bool empty() const { return tokens_.empty(); }
  bool HasNext() const { return next_ < tokens_.size(); }
  // The next token, or empty text when the line has no more.
  std::string Next() { return HasNext() ? tokens_[next_++] : std::string(); }

 private:
  static bool IsDelimiter(char c) { return c == ' ' || c == '\t' || c == '\n'; }
  std::vector<std::string> tokens_;
  std::size_t next_ = 0;
};

std::string ReadValue(Tokens& tokens) {
  std::string value = tokens.Next();
  if (value.empty() || value[0] != '"') return UnescapeValue(value);
  for (int joins = 0; joins < kMaxValueJoins && value.back() != '"'; ++joins) {
    value += ' ';
    value += tokens.Next();
  }
  // A lone double quote opens and closes at once: an empty value.
  value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  return UnescapeValue(value);
}

}  // namespace

void ReadWizardInfoBlock(std::istream& in, WizardInfoModel& model) {
  ForEachPiece(in, [&model](const std::string& piece) {
    Tokens tokens(piece);
    if (tokens.empty()) return;
    const std::string keyword = tokens.Next();
    WizardInfoTable* value_table = keyword == "PRIVATE:"     ? &model.private_values
                                   : keyword == "CONSTANT:"  ? &model.constants
                                   : keyword == "PARAMETER:" ? &model.parameters
                                                             : nullptr;
    WizardInfoRecord record;
    if (value_table) {
      record.name = tokens.Next();
      record.type = tokens.Next();
      record.value = ReadValue(tokens);
      value_table->Add(record);
    } else if (keyword == "USED_PORT:") {
      for (std::string* field : {&record.name, &record.aux1, &record.aux2, &record.width,
                                 &record.low_bit, &record.type, &record.value, &record.port_text}) {
        *field = tokens.Next();
      }
      model.used_ports.Add(record);
    } else if (keyword == "CONNECT:") {
      for (std::string* field :
           {&record.peer_name, &record.peer_aux1, &record.peer_aux2, &record.peer_width,
            &record.peer_low_bit, &record.name, &record.aux1, &record.aux2, &record.width,
            &record.low_bit}) {
        *field = tokens.Next();
      }
      model.connections.Add(record);
    }
  });
}

}  // namespace codexel
