#include "host/wizard_info.h"

#include <gtest/gtest.h>

#include <sstream>

namespace codexel {
namespace {

std::string Block(const WizardInfoModel& model, const std::string& module = "default",
                  const SymbolLinesWriter* symbol = nullptr) {
  std::ostringstream out;
  WriteWizardInfoBlock(out, model, module, symbol);
  return out.str();
}

WizardInfoModel Read(const std::string& text) {
  WizardInfoModel model;
  std::istringstream in(text);
  ReadWizardInfoBlock(in, model);
  return model;
}

// ---- Tables ----

TEST(WizardInfoTableTest, GetNumericConvertsLikeTheStandardConversion) {
  WizardInfoTable table;
  table.AddString("mixed", "12abc");
  table.AddString("text", "full");
  table.AddNumeric("neg", -3);
  EXPECT_EQ(table.GetNumeric("mixed", 99), 12);
  EXPECT_EQ(table.GetNumeric("text", 99), 0);
  EXPECT_EQ(table.GetNumeric("neg", 99), -3);
  EXPECT_EQ(table.GetNumeric("absent", 99), 99);
  EXPECT_EQ(table.GetNumeric("MIXED", 99), 99) << "names are case-sensitive";
}

TEST(WizardInfoTableTest, FindByNameReturnsTheFirstOfTwins) {
  WizardInfoTable table;
  table.AddNumeric("m", 4);
  table.AddNumeric("m", 8);
  ASSERT_NE(table.FindByName("m"), nullptr);
  EXPECT_EQ(table.FindByName("m")->value, "4");
}

TEST(WizardInfoTableTest, ClearEmptiesAndAddRefillsSlotZero) {
  WizardInfoTable table;
  table.AddNumeric("a", 1);
  table.AddNumeric("b", 2);
  table.Clear();
  EXPECT_EQ(table.RecordAt(0), nullptr);
  EXPECT_EQ(table.count(), 0);
  table.AddNumeric("c", 3);
  ASSERT_NE(table.RecordAt(0), nullptr);
  EXPECT_EQ(table.RecordAt(0)->name, "c");
  EXPECT_EQ(table.RecordAt(1), nullptr);
}

TEST(WizardInfoTableTest, FullTableRefusesWithoutChange) {
  WizardInfoTable table;
  for (int i = 0; i < WizardInfoTable::kCapacity; ++i) {
    ASSERT_TRUE(table.AddNumeric("v" + std::to_string(i), i));
  }
  EXPECT_FALSE(table.AddNumeric("extra", 1));
  EXPECT_EQ(table.count(), WizardInfoTable::kCapacity);
  EXPECT_EQ(table.FindByName("extra"), nullptr);
  EXPECT_NE(table.RecordAt(511), nullptr);
  EXPECT_EQ(table.RecordAt(512), nullptr);
  EXPECT_EQ(table.RecordAt(-1), nullptr);
  table.Clear();
  EXPECT_EQ(table.RecordAt(511), nullptr) << "every slot in use is emptied";
  EXPECT_EQ(table.FindByName("v0"), nullptr);
  EXPECT_TRUE(table.AddNumeric("again", 1));
  EXPECT_EQ(table.RecordAt(0)->type, "NUMERIC");
}

TEST(WizardInfoTableTest, ConnectionToAConstantHasNoWidth) {
  WizardInfoTable table;
  table.AddConnection("@sig", "1", 8, 1);
  table.AddConnection("@sig", "dst", 8, 1);
  table.AddConnection("@sig", "9lives", 4, 0);
  EXPECT_EQ(table.RecordAt(0)->width, "0");
  EXPECT_EQ(table.RecordAt(0)->peer_width, "8");
  EXPECT_EQ(table.RecordAt(1)->width, "8");
  EXPECT_EQ(table.RecordAt(2)->width, "0");
}

TEST(WizardInfoTableTest, UsedPortDirections) {
  WizardInfoTable table;
  table.AddUsedPort("a", 0, "NODEFVAL", 0, 0);
  table.AddUsedPort("b", 0, "NODEFVAL", 1, 0);
  table.AddUsedPort("c", 3, "NODEFVAL", 2, 4);
  table.AddUsedPort("d", 0, "NODEFVAL", -1, 0);
  EXPECT_EQ(table.RecordAt(0)->type, "INPUT");
  EXPECT_EQ(table.RecordAt(1)->type, "OUTPUT");
  EXPECT_EQ(table.RecordAt(2)->type, "BIDIR");
  EXPECT_EQ(table.RecordAt(2)->port_text, "c[6..4]");
  EXPECT_EQ(table.RecordAt(3)->type, "BIDIR");
}

TEST(WizardInfoModelTest, PortWithConnectionFollowsTheDirection) {
  WizardInfoModel model;
  ASSERT_TRUE(model.AddPortWithConnection("rsin", 8, 0, 1, "NODEFVAL"));
  ASSERT_TRUE(model.AddPortWithConnection("outvalid", 0, 1, 0, "NODEFVAL"));
  EXPECT_EQ(Block(model),
            "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n"
            "USED_PORT: rsin 0 0 8 1 INPUT NODEFVAL rsin[8..1]\n"
            "USED_PORT: outvalid 0 0 0 0 OUTPUT NODEFVAL outvalid\n\n"
            "CONNECT: @rsin 0 0 8 1 rsin 0 0 8 1\n"
            "CONNECT: outvalid 0 0 0 0 @outvalid 0 0 0 0\n\n");
}

TEST(WizardInfoModelTest, FullPortTableAddsNoConnection) {
  WizardInfoModel model;
  for (int i = 0; i < WizardInfoTable::kCapacity; ++i) {
    model.used_ports.AddUsedPort("p" + std::to_string(i), 0, "X", 0, 0);
  }
  EXPECT_FALSE(model.AddPortWithConnection("late", 0, 0, 0, "NODEFVAL"));
  EXPECT_EQ(model.connections.count(), 0);
}

// ---- Writer ----

class FixedSymbol : public SymbolLinesWriter {
 public:
  bool WriteSymbol(std::ostream& out) const override {
    out << "SYMBOL: LINE 0 208 16 208 SOLID THIN\n";
    return true;
  }
};

TEST(WizardInfoBlockTest, EmptyModelWritesTheHeaderAndOneEmptyLine) {
  EXPECT_EQ(Block(WizardInfoModel()), "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n");
}

TEST(WizardInfoBlockTest, SectionsInFixedOrderWithEscapedValues) {
  WizardInfoModel model;
  // Added out of section order on purpose.
  model.connections.AddConnection("@x", "x", 0, 0);
  model.parameters.AddString("P", "a\tb");
  model.AddConstantText("inv_file", "inv_8_285.hex");
  model.AddPrivateNumber("Enc_Dec", 1);
  model.AddConstantText("odd", "back\\slash \"quoted\"\nline");
  const FixedSymbol symbol;
  EXPECT_EQ(Block(model, "RS_Enc", &symbol),
            "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: RS_Enc\n\n"
            "PRIVATE: Enc_Dec NUMERIC \"1\"\n\n"
            "CONSTANT: inv_file STRING \"inv_8_285.hex\"\n"
            "CONSTANT: odd STRING \"back\\\\slash \"quoted\"\\nline\"\n\n"
            "PARAMETER: P STRING \"a\\tb\"\n\n"
            "CONNECT: @x 0 0 0 0 x 0 0 0 0\n\n"
            "SYMBOL: LINE 0 208 16 208 SOLID THIN\n");
}

TEST(WizardInfoBlockTest, WriterStopsAtTheFirstEmptySlot) {
  WizardInfoModel model;
  model.AddPrivateNumber("a", 1);
  WizardInfoRecord unnamed;
  unnamed.type = "NUMERIC";
  model.private_values.Add(unnamed);  // occupies nothing: its name is empty
  model.AddPrivateNumber("b", 2);
  EXPECT_EQ(Block(model),
            "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n"
            "PRIVATE: a NUMERIC \"1\"\nPRIVATE: b NUMERIC \"2\"\n\n");
}

// ---- Reader ----

TEST(WizardInfoBlockTest, RoundTripKeepsEveryRecord) {
  WizardInfoModel model;
  model.AddPrivateNumber("Enc_Dec", 0);
  model.AddConstantText("speed", "full");
  model.AddConstantText("tabbed", "a\tb\nc\\d");
  model.AddConstantText("empty", "");
  model.AddConstantText("words", "two words here");
  model.parameters.AddNumeric("WIDTH", -5);
  model.AddPortWithConnection("rsin", 8, 0, 1, "NODEFVAL");
  model.AddPortWithConnection("numerr", 5, 1, 1, "NODEFVAL");
  const std::string first = Block(model, "rs_std_dsc");
  const WizardInfoModel back = Read(first);
  for (int i = 0; i < 6; ++i) {
    const WizardInfoTable* tables[] = {&model.constants, &back.constants};
    if (tables[0]->RecordAt(i)) {
      ASSERT_NE(tables[1]->RecordAt(i), nullptr) << i;
      EXPECT_EQ(*tables[0]->RecordAt(i), *tables[1]->RecordAt(i)) << i;
    }
  }
  EXPECT_EQ(*back.used_ports.RecordAt(1), *model.used_ports.RecordAt(1));
  EXPECT_EQ(*back.connections.RecordAt(0), *model.connections.RecordAt(0));
  EXPECT_EQ(back.parameters.GetNumeric("WIDTH", 0), -5);
  // The module name is not read back; the block reads back to the same text.
  EXPECT_EQ(Block(back, "rs_std_dsc"), first);
}

TEST(WizardInfoBlockTest, CarriageReturnLineFeedReadsBackExactly) {
  const std::string lf =
      "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: RS_Enc\n\n"
      "PRIVATE: Enc_Dec NUMERIC \"1\"\n\nCONSTANT: inv_file STRING \"inv_4_19.hex\"\n\n"
      "USED_PORT: start 0 0 0 0 INPUT NODEFVAL start\n\n"
      "CONNECT: @start 0 0 0 0 start 0 0 0 0\n\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const WizardInfoModel model = Read(crlf);
  EXPECT_EQ(model.constants.FindByName("inv_file")->value, "inv_4_19.hex");
  EXPECT_EQ(model.connections.RecordAt(0)->low_bit, "0");
  EXPECT_EQ(Block(model, "RS_Enc"), lf);
}

struct ValueCase {
  const char* line;
  std::string value;
};

class ReadValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ReadValueTest, ReadsTheValueField) {
  const WizardInfoModel model = Read(GetParam().line);
  ASSERT_NE(model.private_values.RecordAt(0), nullptr) << GetParam().line;
  EXPECT_EQ(model.private_values.RecordAt(0)->value, GetParam().value) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadValueTest,
    ::testing::Values(
        ValueCase{"PRIVATE: v STRING \"\"\n", ""},
        ValueCase{"PRIVATE: v STRING raw\\tvalue\n", "raw\tvalue"},
        ValueCase{"PRIVATE: v STRING \"a   b\"\n", "a b"},  // blanks fold to one
        ValueCase{"PRIVATE: v STRING \"x\\\\n\"\n", "x\\n"},
        ValueCase{"PRIVATE: v STRING \"trail\\\"\n", "trail\\"},
        ValueCase{"PRIVATE: v STRING \"\\q\"\n", "\\q"},
        // A lone double quote is an empty value, not a read before the text.
        ValueCase{"PRIVATE: v STRING \"\n", ""},
        ValueCase{"PRIVATE: v STRING\n", ""},
        // An unterminated quote joins blanks up to 99 times, then drops the ends.
        ValueCase{"PRIVATE: v STRING \"open\n", "open" + std::string(98, ' ')},
        ValueCase{"PRIVATE: v STRING \"a b\" extra\n", "a b"}));

TEST(WizardInfoBlockTest, UnknownAndMiscasedKeywordsAreIgnored) {
  const WizardInfoModel model = Read(
      "private: a NUMERIC \"1\"\nPRIVATE a NUMERIC \"1\"\nMODULE: x\nSYMBOL: LINE 1 2 3 4\n"
      "\n   \t \nPRIVATE: b NUMERIC \"2\"\n");
  ASSERT_NE(model.private_values.RecordAt(0), nullptr);
  EXPECT_EQ(model.private_values.RecordAt(0)->name, "b");
  EXPECT_EQ(model.private_values.RecordAt(1), nullptr);
}

TEST(WizardInfoBlockTest, MissingFieldsReadAsEmptyText) {
  const WizardInfoModel model = Read("USED_PORT: p 0 0\nCONNECT: src\n");
  const WizardInfoRecord* port = model.used_ports.RecordAt(0);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->aux2, "0");
  EXPECT_EQ(port->width, "");
  EXPECT_EQ(port->low_bit, "");
  EXPECT_EQ(port->type, "");
  EXPECT_EQ(port->value, "");
  EXPECT_EQ(port->port_text, "");
  // A CONNECT line without a destination name occupies no slot.
  EXPECT_EQ(model.connections.RecordAt(0), nullptr);
}

TEST(WizardInfoBlockTest, LongLinesAreReadInPiecesOf255) {
  // 260 characters: the first piece holds the record, the rest is a line of its own.
  std::string line = "PRIVATE: long STRING \"" + std::string(255 - 22 - 1, 'a') + "\"";
  ASSERT_EQ(line.size(), 255u);
  line += " PRIVATE: tail NUMERIC \"7\"\n";
  const WizardInfoModel model = Read(line);
  ASSERT_NE(model.private_values.FindByName("long"), nullptr);
  EXPECT_EQ(model.private_values.FindByName("long")->value.size(), 232u);
  // The second piece starts with a blank, then the keyword: parsed as a line.
  EXPECT_EQ(model.private_values.GetNumeric("tail", 0), 7);
}

TEST(WizardInfoBlockTest, OverfullTableDropsTheRest) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += "CONSTANT: c" + std::to_string(i) + " NUMERIC \"1\"\n";
  const WizardInfoModel model = Read(text);
  EXPECT_EQ(model.constants.count(), WizardInfoTable::kCapacity);
  EXPECT_NE(model.constants.FindByName("c511"), nullptr);
  EXPECT_EQ(model.constants.FindByName("c512"), nullptr);
}

TEST(WizardInfoBlockTest, BinaryJunkDoesNotBreakTheReader) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
  junk += "\nPRIVATE: after NUMERIC \"5\"\n";
  junk.insert(100, std::string("\0PRIVATE: hidden NUMERIC \"1\"\n", 29));
  const WizardInfoModel model = Read(junk);
  EXPECT_EQ(model.private_values.GetNumeric("after", 0), 5);
  EXPECT_EQ(model.private_values.FindByName("hidden"), nullptr);
}

TEST(EscapeTest, EscapeAndUnescapeAreInverse) {
  for (const std::string value : {"", "plain", "a\tb", "x\ny", "back\\", "\\n literal", "\"q\""}) {
    EXPECT_EQ(UnescapeValue(EscapeValue(value)), value) << value;
  }
}

}  // namespace
}  // namespace codexel
