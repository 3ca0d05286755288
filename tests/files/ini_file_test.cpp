#include "files/ini_file.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::TempFolder;
using testing::writeFile;

struct TextCase {
    const char* name;
    std::string input;
    std::string written;
};
void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class IniText : public ::testing::TestWithParam<TextCase> {};

// What a file becomes when it is read and written back unchanged.
TEST_P(IniText, RewritesAsExpected) {
    EXPECT_EQ(IniFile::parse(GetParam().input).text(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Layer, IniText,
    ::testing::Values(
        TextCase{"Empty", "", ""},
        TextCase{"CrLfAfterEveryLineAndAnEmptyLineAfterEverySection", "[A]\nk=1\n[B]\nx=2\ny=3",
                 "[A]\r\nk=1\r\n\r\n[B]\r\nx=2\r\ny=3\r\n\r\n"},
        TextCase{"EmptySectionSurvives", "[ZR40 SETTINGS FILE]\r\n\r\n[System]\r\n",
                 "[ZR40 SETTINGS FILE]\r\n\r\n[System]\r\n\r\n"},
        TextCase{"LinesAreTrimmedAndBlanksAroundEqualsDropped",
                 "  [ Scope ]  \r\n\t 20S \t=\t 1 \r\n", "[Scope]\r\n20S=1\r\n\r\n"},
        TextCase{"CommentsAndEmptyLinesAreDropped", "[A]\n; note\n\n   ;x=1\nk=1\n",
                 "[A]\r\nk=1\r\n\r\n"},
        TextCase{"LinesBeforeTheFirstSectionAreDropped", "stray=1\nnoise\n[A]\nk=1\n",
                 "[A]\r\nk=1\r\n\r\n"},
        TextCase{"ALineWithoutEqualsIsKeptAsItIs", "[A]\nplain text\n",
                 "[A]\r\nplain text\r\n\r\n"},
        TextCase{"OnlyTheFirstEqualsSeparates", "[A]\nk = a = b\n", "[A]\r\nk=a = b\r\n\r\n"},
        TextCase{"ARepeatedSectionContinuesTheFirst", "[A]\nk=1\n[B]\n[a]\nj=2\n",
                 "[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\n\r\n"},
        TextCase{"CrAloneAndLfAloneEndLines", "[A]\rk=1\n\rj=2\r\n", "[A]\r\nk=1\r\nj=2\r\n\r\n"},
        TextCase{"ValuesAreBytes", "[A]\nname=Сохранение \xFF\x7F\n",
                 "[A]\r\nname=Сохранение \xFF\x7F\r\n\r\n"},
        TextCase{"ControlCharactersAreTrimmedLikeBlanks", "[A]\nk=\x01v\x1F\n",
                 "[A]\r\nk=v\r\n\r\n"},
        TextCase{"EmptySectionName", "[]\nk=1\n", "[]\r\nk=1\r\n\r\n"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(IniFile, SectionAndKeyNamesMatchWhateverTheirCase) {
    const IniFile ini = IniFile::parse("[Generator]\n50m_100uS=1\n");
    EXPECT_EQ(ini.value("GENERATOR", "50M_100uS"), "1");
    EXPECT_TRUE(ini.hasSection("generator"));
    EXPECT_FALSE(ini.value("Generator", "50M_100u").has_value());
    EXPECT_FALSE(ini.value("Scope", "50M_100uS").has_value());
}

TEST(IniFile, TheFirstOfTwoEqualKeysIsFoundAndReplaced) {
    IniFile ini = IniFile::parse("[A]\nk=1\nK=2\n");
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    ini.writeInteger("A", "K", 7);
    EXPECT_EQ(ini.text(), "[A]\r\nK=7\r\nK=2\r\n\r\n");
}

TEST(IniFile, KeysKeepTheirPlaceAndNewKeysAreAppended) {
    IniFile ini = IniFile::parse("[System]\nDebug_qs=1\nDevice_Type_Code=28\n");
    ini.writeInteger("system", "device_type_code", 31);
    ini.writeString("System", "Soft_Ver", "~204~");
    EXPECT_EQ(ini.text(),
              "[System]\r\nDebug_qs=1\r\ndevice_type_code=31\r\nSoft_Ver=~204~\r\n\r\n");
    EXPECT_EQ(ini.keyNames("SYSTEM"),
              (std::vector<std::string>{"Debug_qs", "device_type_code", "Soft_Ver"}));
}

TEST(IniFile, AnErasedSectionWrittenAgainMovesToTheEnd) {
    IniFile ini = IniFile::parse("[System]\na=1\n[Common]\nb=1\n[Own]\nc=1\n");
    ini.eraseSection("COMMON");
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"System", "Own"}));
    ini.writeBool("Common", "b", false);
    ini.writeBool("System", "z", true);
    EXPECT_EQ(ini.text(), "[System]\r\na=1\r\nz=1\r\n\r\n[Own]\r\nc=1\r\n\r\n"
                          "[Common]\r\nb=0\r\n\r\n");
    ini.eraseSection("missing"); // nothing to erase
    EXPECT_EQ(ini.sectionNames().size(), 3u);
}

struct IntegerCase {
    std::string text;
    std::optional<std::int32_t> value;
};
void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class IniInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesOrRefuses) {
    EXPECT_EQ(parseIniInteger(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Layer, IniInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"12", 12}, IntegerCase{"-5", -5},
                      IntegerCase{"+7", 7}, IntegerCase{"007", 7}, IntegerCase{"0x1F", 31},
                      IntegerCase{"0X1f", 31}, IntegerCase{"$ff", 255},
                      IntegerCase{"$00FF00", 0x00FF00}, IntegerCase{"-0x10", -16},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x80000000", INT32_MIN},
                      IntegerCase{"2147483647", INT32_MAX}, IntegerCase{"-2147483648", INT32_MIN},
                      IntegerCase{"00000000000000000000042", 42},
                      // Not integers, or outside 32 bits: the caller's default.
                      IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"-2147483649", std::nullopt},
                      IntegerCase{"99999999999999999999999", std::nullopt},
                      IntegerCase{"0x100000000", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{"-", std::nullopt}, IntegerCase{"0x", std::nullopt},
                      IntegerCase{"$", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                      IntegerCase{"12a", std::nullopt}, IntegerCase{"0x1G", std::nullopt},
                      IntegerCase{"--1", std::nullopt}, IntegerCase{" 1", std::nullopt},
                      IntegerCase{"true", std::nullopt}, IntegerCase{"1e3", std::nullopt}));

TEST(IniFile, IntegersAndBooleansFallBackToTheDefault) {
    const IniFile ini = IniFile::parse("[A]\nhex=0x1B\nbad=abc\nbig=4294967296\nneg=-1\nzero=0\n"
                                       "empty=\n");
    EXPECT_EQ(ini.readInteger("A", "hex", 0), 27);
    EXPECT_EQ(ini.readInteger("A", "bad", 5), 5);
    EXPECT_EQ(ini.readInteger("A", "big", 5), 5);
    EXPECT_EQ(ini.readInteger("A", "empty", 5), 5);
    EXPECT_EQ(ini.readInteger("A", "missing", 5), 5);
    EXPECT_TRUE(ini.readBool("A", "neg", false));
    EXPECT_TRUE(ini.readBool("A", "hex", false));
    EXPECT_FALSE(ini.readBool("A", "zero", true));
    EXPECT_TRUE(ini.readBool("A", "bad", true));
    EXPECT_FALSE(ini.readBool("A", "bad", false));
    EXPECT_EQ(ini.readString("A", "bad", "-"), "abc");
    EXPECT_EQ(ini.readString("B", "bad", "-"), "-");
}

TEST(IniFile, WritesIntegersInDecimalAndBooleansAsOneOrZero) {
    IniFile ini;
    ini.writeInteger("A", "n", -2147483647 - 1);
    ini.writeBool("A", "t", true);
    ini.writeBool("A", "f", false);
    EXPECT_EQ(ini.text(), "[A]\r\nn=-2147483648\r\nt=1\r\nf=0\r\n\r\n");
}

// ----- Hostile input: defined results, never a crash.

TEST(IniFileHostile, NulBytesAreOrdinaryBytesInsideALineAndTrimmedAtItsEnds) {
    const std::string input = "[A\0B]\nk\0ey=v\0al\n\0\0[C]\0\nx=1\n"s;
    const IniFile ini = IniFile::parse(input);
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"A\0B"s, "C"}));
    EXPECT_EQ(ini.value("a\0b"s, "K\0EY"s), "v\0al"sv);
    EXPECT_EQ(ini.readInteger("C", "x", 0), 1);
}

TEST(IniFileHostile, ALineLongerThanTheLimitIsDropped) {
    const std::string longValue(IniFile::kMaxLineLength, 'v');
    const std::string input =
        "[A]\nlong=" + longValue + "\nafter=1\nfits=" + longValue.substr(5) + "\n";
    const IniFile ini = IniFile::parse(input);
    EXPECT_FALSE(ini.value("A", "long").has_value());
    EXPECT_EQ(ini.readInteger("A", "after", 0), 1);
    EXPECT_EQ(ini.value("A", "fits")->size(), IniFile::kMaxLineLength - 5);
}

TEST(IniFileHostile, AFileBeyondTheSizeLimitIsReadAsItsFirstLinesOnly) {
    std::string input = "[A]\nfirst=1\n";
    const std::string line = "pad=" + std::string(1000, 'p') + "\n";
    while (input.size() + line.size() <= IniFile::kMaxFileSize)
        input += line;
    // This key straddles the limit and is dropped with everything after it.
    input += "cut=" + std::string(line.size(), 'c') + "\n[B]\nlast=1\n";
    const IniFile ini = IniFile::parse(input);
    EXPECT_EQ(ini.readInteger("A", "first", 0), 1);
    EXPECT_FALSE(ini.value("A", "cut").has_value());
    EXPECT_FALSE(ini.hasSection("B"));
}

TEST(IniFileHostile, ParsingStopsAfterTheEntryLimit) {
    std::string input = "[A]\n";
    for (std::size_t i = 0; i < IniFile::kMaxEntries + 10; ++i)
        input += "k\n";
    input += "[B]\n";
    const IniFile ini = IniFile::parse(input);
    EXPECT_FALSE(ini.hasSection("B"));
}

TEST(IniFileHostile, ManyDistinctSectionsStayCheapAndOrdered) {
    std::string input;
    for (int i = 0; i < 20000; ++i)
        input += "[S" + std::to_string(i) + "]\n[s" + std::to_string(i % 7) + "]\n";
    const IniFile ini = IniFile::parse(input);
    EXPECT_EQ(ini.sectionNames().size(), 20000u);
    EXPECT_EQ(ini.sectionNames()[3], "S3");
}

TEST(IniFileHostile, BinaryGarbageGivesOnlyWhatItsLinesSay) {
    std::string input;
    std::uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        input += static_cast<char>(x >> 24);
    }
    const IniFile ini = IniFile::parse(input);
    const IniFile again = IniFile::parse(ini.text());
    EXPECT_EQ(again.text(), ini.text());
}

TEST(IniFileHostile, WithoutSectionsNothingIsRead) {
    const IniFile ini = IniFile::parse("Device_Type_Code=31\nk=v\n");
    EXPECT_TRUE(ini.sectionNames().empty());
    EXPECT_EQ(ini.text(), "");
}

TEST(IniFileLoad, AMissingFileOrAFolderReadsAsEmpty) {
    TempFolder dir;
    EXPECT_TRUE(IniFile::load(dir / "missing.ini").sectionNames().empty());
    EXPECT_TRUE(IniFile::load(dir.path()).sectionNames().empty());
}

TEST(IniFileLoad, ReadsTheWholeFile) {
    TempFolder dir;
    writeFile(dir / "a.ini", "[System]\r\nDevice_Type_Code=0x1F\r\n");
    EXPECT_EQ(IniFile::load(dir / "a.ini").readInteger("System", "Device_Type_Code", 0), 31);
}

} // namespace
} // namespace qs40
