#pragma once
// The wizard information model: five tables of text records that make up a
// variation as the plug-in manager sees it, and the block that carries them.

#include <iosfwd>
#include <string>
#include <vector>

namespace codexel {

struct WizardInfoRecord {
  std::string name;
  std::string type = "UNDEF";
  std::string aux1;
  std::string aux2 = "0";
  std::string width;
  std::string low_bit = "0";
  std::string value;
  std::string port_text;
  std::string peer_name;
  std::string peer_aux1;
  std::string peer_aux2 = "0";
  std::string peer_width;
  std::string peer_low_bit = "0";

  bool operator==(const WizardInfoRecord&) const = default;
};

class WizardInfoTable {
 public:
  static constexpr int kCapacity = 512;

  // Copies the record into the first free slot; false when the table is full.
  bool Add(const WizardInfoRecord& record);
  // The record in slot `index` if that slot is in use, else null.
  const WizardInfoRecord* RecordAt(int index) const;
  // First record in use with exactly this name, else null.
  const WizardInfoRecord* FindByName(const std::string& name) const;
  // The named value converted to an integer, or `fallback` when absent.
  int GetNumeric(const std::string& name, int fallback) const;
  void Clear();

  bool AddNumeric(const std::string& name, int value);
  bool AddString(const std::string& name, const std::string& text);
  // direction: 0 input, 1 output, anything else bidirectional.
  bool AddUsedPort(const std::string& name, int width, const std::string& default_value,
                   int direction, int low_bit);
  bool AddConnection(const std::string& source, const std::string& destination, int width,
                     int low_bit);

  int count() const { return count_; }

 private:
  // The slots from slot 0 up to the last one ever written since the last
  // Clear; those beyond it are free. Held in a vector so that an empty table
  // costs nothing: five full-sized tables would take a megabyte that each
  // start of the program had to build and free.
  std::vector<WizardInfoRecord> slots_;
  int count_ = 0;
};

// The five tables of one variation.
class WizardInfoModel {
 public:
  WizardInfoTable private_values;
  WizardInfoTable constants;
  WizardInfoTable parameters;
  WizardInfoTable used_ports;
  WizardInfoTable connections;

  void ClearWizardInfo();
  bool AddConstantNumber(const std::string& name, int value);
  bool AddConstantText(const std::string& name, const std::string& text);
  bool AddPrivateNumber(const std::string& name, int value);
  // Adds the port and its connection to the signal "@" + name.
  bool AddPortWithConnection(const std::string& name, int width, int direction, int low_bit,
                             const std::string& default_value);
};

// Something that writes the symbol lines at the end of a block.
class SymbolLinesWriter {
 public:
  virtual ~SymbolLinesWriter() = default;
  virtual bool WriteSymbol(std::ostream& out) const = 0;
};

// Writes the whole block: header, the five sections, then the symbol lines.
void WriteWizardInfoBlock(std::ostream& out, const WizardInfoModel& model,
                          const std::string& module_name, const SymbolLinesWriter* symbol);

// Appends the records of a block to the tables; unknown lines are skipped.
void ReadWizardInfoBlock(std::istream& in, WizardInfoModel& model);

// Value escaping of the block: tab, line feed and backslash.
std::string EscapeValue(const std::string& value);
std::string UnescapeValue(const std::string& raw);

}  // namespace codexel
