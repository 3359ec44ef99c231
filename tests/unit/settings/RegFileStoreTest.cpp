#include "settings/RegFileStore.h"

#include "settings/SettingsStore.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kKey = kSettingsKeyPath;
const std::string kSection = "[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]";

class RegFile : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dir = fs::temp_directory_path() /
              ("tq820-regfile-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path file() const { return dir / "Velmor" / "TQ820v1.0.reg"; }
    fs::path badFile() const { return dir / "Velmor" / "TQ820v1.0.reg.bad"; }

    void writeFile(const std::string& content) const {
        fs::create_directories(file().parent_path());
        std::ofstream(file(), std::ios::binary) << content;
    }

    std::string readFile() const { return readFile(file()); }
    static std::string readFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void writeBadFile(const std::string& content) const {
        fs::create_directories(file().parent_path());
        std::ofstream(badFile(), std::ios::binary) << content;
    }

    static std::array<TileStyle, 5> defaultStyles() {
        std::array<TileStyle, 5> styles;
        for (Quantity q : kAllQuantities) {
            styles[quantityIndex(q)] = defaultTileStyle(q);
        }
        return styles;
    }

    fs::path dir;
};

TEST_F(RegFile, TheKeyIsTheFileInTheConfigFolder) {
    RegFileStore store(dir);
    EXPECT_EQ(store.fileFor(kKey), file());
    EXPECT_TRUE(store.fileFor("SOFTWARE\\..\\x").empty());
    EXPECT_TRUE(store.fileFor("SOFTWARE\\a\\\\b").empty());

    EXPECT_EQ(store.Open(RegistryRoot::CurrentUser, kKey), 0);
    EXPECT_EQ(store.lastError(), RegistryStore::kErrorFileNotFound);
    EXPECT_EQ(store.Create(RegistryRoot::CurrentUser, kKey), 1);
    EXPECT_TRUE(fs::exists(file()));
    EXPECT_EQ(store.Close(), 1);
    EXPECT_EQ(store.Close(), 0);
    EXPECT_EQ(readFile(), "REGEDIT4\n\n" + kSection + "\n\n");

    EXPECT_EQ(store.Open(RegistryRoot::CurrentUser, kKey), 1);
    store.Close();
    EXPECT_EQ(store.DeleteKey(RegistryRoot::CurrentUser, kKey), 1);
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(fs::exists(file().parent_path()));
    EXPECT_EQ(store.DeleteKey(RegistryRoot::CurrentUser, kKey), 0);
}

#ifndef _WIN32 // there the platform store is the registry (Win32RegistryStoreTest)
TEST_F(RegFile, ThePlatformStoreLivesInTheXdgConfigFolder) {
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    {
        auto store = makePlatformRegistryStore();
        AppSettings settings;
        auto styles = defaultStyles();
        loadSettings(*store, settings, styles);
    }
    EXPECT_TRUE(fs::exists(file()));
    // A relative folder is not a valid XDG setting: the home folder's is used.
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        EXPECT_EQ(RegFileStore::defaultConfigDir(), fs::path(home) / ".config");
    }
    if (previous != nullptr) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}
#endif

TEST_F(RegFile, WritesTheFormatRegeditReads) {
    RegFileStore store(dir);
    ASSERT_EQ(store.Create(RegistryRoot::CurrentUser, kKey), 1);
    store.WriteDword("BACKGROUND_TEMP", 0xFFE4CA);
    store.WriteString("FONT_NAME_TEMP", "Arial");
    store.WriteDword("WINDOW_LEFT", -11);
    store.WriteString("FILE_NAME", R"(C:\pomiary\"x".csv)");
    store.WriteString("FILE_NAME", "/home/ala/pomiary ż.csv");
    const unsigned char raw[] = {0xde, 0xad, 0x00};
    store.WriteValue("RAW", raw, RegistryStore::kTypeBinary, 3);
    store.WriteValue("QWORD", raw, 0xb, 3);
    store.WriteString("QUOTE", "a\\b\"c");
    EXPECT_EQ(readFile(), "REGEDIT4\n\n" + kSection + "\n\n") << "written at Close";
    ASSERT_EQ(store.Close(), 1);
    EXPECT_EQ(readFile(), "REGEDIT4\n\n" + kSection +
                              "\n"
                              "\"BACKGROUND_TEMP\"=dword:00ffe4ca\n"
                              "\"FONT_NAME_TEMP\"=\"Arial\"\n"
                              "\"WINDOW_LEFT\"=dword:fffffff5\n"
                              "\"FILE_NAME\"=\"/home/ala/pomiary ż.csv\"\n"
                              "\"RAW\"=hex:de,ad,00\n"
                              "\"QWORD\"=hex(b):de,ad,00\n"
                              "\"QUOTE\"=\"a\\\\b\\\"c\"\n"
                              "\n");
    EXPECT_FALSE(fs::exists(file().string() + ".tmp"));

    ASSERT_EQ(store.Open(RegistryRoot::CurrentUser, kKey), 1);
    std::int32_t n = 0;
    EXPECT_EQ(store.ReadDword("WINDOW_LEFT", n), 1);
    EXPECT_EQ(n, -11);
    char buffer[256];
    EXPECT_EQ(store.ReadString("QUOTE", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "a\\b\"c");
    unsigned char back[8];
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(store.QueryValue("QWORD", back, sizeof back, &type, &size), 1);
    EXPECT_EQ(type, 0xbu);
    EXPECT_EQ(size, 3u);
}

TEST_F(RegFile, ValuesKeepTheirKindAndWidth) {
    writeFile("REGEDIT4\n\n" + kSection +
              "\n\"PORT_NR\"=\"12\"\n\"WINDOW_TOP\"=\"1234\"\n\"TOPMOST\"=dword:1\n");
    RegFileStore store(dir);
    ASSERT_EQ(store.Open(RegistryRoot::CurrentUser, kKey), 1);
    std::int32_t n = 42;
    EXPECT_EQ(store.ReadDword("PORT_NR", n), 0);
    EXPECT_EQ(store.ReadDword("WINDOW_TOP", n), 0);
    EXPECT_EQ(n, 42);
    char buffer[8];
    std::uint32_t size = 0;
    EXPECT_EQ(store.QueryValue("WINDOW_TOP", buffer, 4, nullptr, &size), 0);
    EXPECT_EQ(size, 5u) << "a text of its own length, terminator included";
    EXPECT_EQ(store.lastError(), RegistryStore::kErrorMoreData);
    EXPECT_EQ(store.ReadDword("TOPMOST", n), 1);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(store.ReadString("TOPMOST", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(RegFile, SettingsSurviveARestart) {
    AppSettings settings;
    auto styles = defaultStyles();
    {
        RegFileStore store(dir);
        loadSettings(store, settings, styles);
    }
    settings.portNumber = 9;
    settings.windowRect = {20, 30, 820, 630};
    settings.recordFileName = "/home/ala/Pomiary \"wiatr\"\\żółw.csv";
    settings.recordEnabled = 1;
    settings.recordCsv = 1;
    settings.recordIntervalSeconds = 60;
    settings.recordPress = 0;
    settings.topmost = 1;
    TileStyle& press = styles[quantityIndex(Quantity::PRESS)];
    press.background = 0x00112233;
    press.text = 0x00FFFFFF;
    press.font.height = -40;
    press.font.faceName = "Liberation Serif";
    press.font.italic = 1;
    press.font.weight = 700;
    press.font.underline = 1; // not stored: starts from the tile's record
    {
        RegFileStore store(dir);
        saveSettings(store, settings, styles, 1920, 1080);
    }
    AppSettings loaded;
    auto loadedStyles = defaultStyles();
    {
        RegFileStore store(dir);
        loadSettings(store, loaded, loadedStyles);
    }
    EXPECT_EQ(loaded, settings);
    press.font.underline = 0;
    EXPECT_EQ(loadedStyles, styles);
    EXPECT_NE(readFile().find("\"BACKGROUND_PRESS\"=dword:00112233\n"), std::string::npos);
}

TEST_F(RegFile, NothingIsWrittenAfterTheKeyWasDeleted) {
    AppSettings settings;
    auto styles = defaultStyles();
    RegFileStore store(dir);
    loadSettings(store, settings, styles);
    ASSERT_TRUE(uninstallSettings(store));
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_FALSE(fs::exists(file()));

    // Deleted while open: the collected writes are dropped, not resurrected.
    ASSERT_EQ(store.Create(RegistryRoot::CurrentUser, kKey), 1);
    store.WriteDword("PORT_NR", 3);
    ASSERT_TRUE(uninstallSettings(store));
    EXPECT_EQ(store.Close(), 0);
    EXPECT_FALSE(fs::exists(file()));
}

#ifndef _WIN32 // MinGW's library makes no symbolic links; Windows keeps settings in the registry
TEST_F(RegFile, ALinkedSettingsFileStaysLinked) {
    const fs::path real = dir / "dotfiles" / "tq820.reg";
    fs::create_directories(real.parent_path());
    std::ofstream(real) << "REGEDIT4\n\n" << kSection << "\n\"PORT_NR\"=dword:00000002\n";
    fs::create_directories(file().parent_path());
    fs::create_symlink(real, file());
    AppSettings settings;
    auto styles = defaultStyles();
    RegFileStore store(dir);
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings.portNumber, 2);
    settings.portNumber = 6;
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_TRUE(fs::is_symlink(file()));
    std::ifstream in(real);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(content.find("\"PORT_NR\"=dword:00000006"), std::string::npos);
}
#endif

TEST_F(RegFile, AFolderThatCannotBeMadeLeavesEveryDefault) {
    // A plain file where the Velmor folder should be: nothing can be created.
    std::ofstream(dir / "Velmor") << "x";
    AppSettings settings;
    auto styles = defaultStyles();
    RegFileStore store(dir);
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings, AppSettings{});
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(store.Create(RegistryRoot::CurrentUser, kKey), 0);
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_TRUE(fs::is_regular_file(dir / "Velmor"));
}

struct DamagedCase {
    const char* label;
    std::string content;
    // Expected outcome: PORT_NR read (or missing) and TOPMOST read.
    std::int32_t portNumber;
    std::int32_t topmost;
    // Something in the file could not be read: it is kept as TQ820v1.0.reg.bad.
    bool keptAside;
};

std::string withSection(const std::string& body) {
    return "REGEDIT4\r\n\r\n" + kSection + "\r\n" + body;
}

// A literal with its embedded zero bytes.
template <std::size_t N> std::string bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.label;
}

class DamagedFile : public RegFile, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedFile, ReadsAsMissingValuesNeverAsACrash) {
    writeFile(GetParam().content);
    AppSettings settings;
    auto styles = defaultStyles();
    {
        RegFileStore store(dir);
        loadSettings(store, settings, styles);
    }
    EXPECT_EQ(settings.portNumber, GetParam().portNumber) << GetParam().label;
    EXPECT_EQ(settings.topmost, GetParam().topmost) << GetParam().label;
    EXPECT_EQ(settings.recordFileName, "") << GetParam().label;
    // Reading alone writes nothing, so nothing needs keeping yet.
    EXPECT_FALSE(fs::exists(badFile())) << GetParam().label;
    // The next save replaces the damage by a clean file, and keeps what it
    // could not read.
    writeBadFile("an older copy");
    {
        RegFileStore store(dir);
        saveSettings(store, settings, styles, 1920, 1080);
    }
    if (GetParam().keptAside) {
        EXPECT_EQ(readFile(badFile()), GetParam().content) << GetParam().label;
    } else {
        EXPECT_EQ(readFile(badFile()), "an older copy") << GetParam().label;
    }
    RegFileStore store(dir);
    ASSERT_EQ(store.Open(RegistryRoot::CurrentUser, kKey), 1);
    std::int32_t n = -1;
    EXPECT_EQ(store.ReadDword("PORT_NR", n), 1);
    EXPECT_EQ(n, GetParam().portNumber);
    store.Close();
    // The clean file is read whole: the next save keeps nothing aside.
    fs::remove(badFile());
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_FALSE(fs::exists(badFile())) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedFile,
    ::testing::Values(
        DamagedCase{"empty", "", 0, 0, false},
        DamagedCase{"garbage", "\x7f\x45LF\x02\x01\x01 not a settings file\n\"PORT_NR\"=dword:5", 0,
                    0, true},
        DamagedCase{"binary with zeros",
                    withSection(bytes("\"PORT_NR\"=dword:0\0\0\x05\n")) +
                        "\"TOPMOST\"=dword:00000001\n",
                    0, 1, true},
        DamagedCase{"CR LF and a valid file", withSection("\"PORT_NR\"=dword:00000007\r\n"), 7, 0,
                    false},
        DamagedCase{"cut off in a value",
                    withSection("\"TOPMOST\"=dword:00000001\r\n\"FILE_NAME\"=\"/home/al"), 0, 1,
                    true},
        DamagedCase{"cut off in a name", withSection("\"TOPMOST\"=dword:00000001\r\n\"POR"), 0, 1,
                    true},
        DamagedCase{"duplicated name",
                    withSection("\"PORT_NR\"=dword:00000003\n\"PORT_NR\"=dword:00000004\n"
                                "\"TOPMOST\"=dword:00000001\n"),
                    0, 1, true},
        DamagedCase{"duplicated name, one broken",
                    withSection("\"PORT_NR\"=dword:zz\n\"PORT_NR\"=dword:00000004\n"), 0, 0, true},
        DamagedCase{"nine digits", withSection("\"PORT_NR\"=dword:000000004\n"), 0, 0, true},
        DamagedCase{"not hex", withSection("\"PORT_NR\"=dword:0000000g\n"), 0, 0, true},
        DamagedCase{"bad escape", withSection("\"FILE_NAME\"=\"a\\nb\"\n\"TOPMOST\"=dword:1\n"), 0,
                    1, true},
        DamagedCase{"invalid UTF-8", withSection("\"FILE_NAME\"=\"\xff\xfe\"\n"), 0, 0, true},
        DamagedCase{"junk after text", withSection("\"FILE_NAME\"=\"a\" b\n"), 0, 0, true},
        DamagedCase{"other section only",
                    "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n\"PORT_NR\"=dword:5\n", 0, 0,
                    true},
        DamagedCase{"no header", kSection + "\n\"PORT_NR\"=dword:00000005\n", 0, 0, true},
        DamagedCase{"hex value under a number's name", withSection("\"PORT_NR\"=hex:05,00,00,00\n"),
                    0, 0, false},
        DamagedCase{"continued hex then a number",
                    withSection("\"X\"=hex:01,\\\n  02\n\"TOPMOST\"=dword:00000001\n"), 0, 1,
                    false},
        DamagedCase{"comments and blank lines",
                    withSection("; kept by hand\n\n\"TOPMOST\"=dword:00000001\n"), 0, 1, false},
        DamagedCase{"byte order mark", "\xEF\xBB\xBF" + withSection("\"PORT_NR\"=dword:2\n"), 2, 0,
                    false}));

TEST_F(RegFile, AnOversizedFileReadsAsEmptyAndIsKeptAside) {
    std::string content = withSection("\"PORT_NR\"=dword:00000005\n");
    content += std::string(RegFileStore::kMaxFileSize, ';');
    writeFile(content);
    AppSettings settings;
    auto styles = defaultStyles();
    RegFileStore store(dir);
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings.portNumber, 0);
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_EQ(readFile(badFile()), content);
    EXPECT_LT(readFile().size(), 4096u);
}

TEST_F(RegFile, AFileThatCannotBeKeptAsideIsNotWrittenOver) {
    const std::string content = withSection("\"PORT_NR\"=dword:00000005\n\"TOPMOST\"=dword:x\n");
    writeFile(content);
    fs::create_directories(badFile() / "in the way");
    AppSettings settings;
    auto styles = defaultStyles();
    RegFileStore store(dir);
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings.portNumber, 5);
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_EQ(readFile(), content);
    EXPECT_FALSE(fs::exists(file().string() + ".tmp"));
}

// Files near the size limit whose values continue over tens of thousands of
// lines: each is read whole (the value after them too), at once.
TEST(RegFileFormat, ValuesContinuedOverManyLinesAreReadWhole) {
    const std::string key = "HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0";
    const std::string head = "REGEDIT4\n\n[" + key + "]\n";
    const std::string tail = "\"PORT_NR\"=dword:00000009\n";
    struct Case {
        const char* label;
        std::string body;
        std::size_t bigValueSize; // 0: no value but PORT_NR
    };
    std::string manyBytes = "\"BIG\"=hex:";
    for (int i = 0; i < 170'000; ++i) {
        manyBytes += "a5,\\\n";
    }
    manyBytes += "5a\n";
    // An unreadable name line that goes on and on.
    const std::string runaway =
        "\"X\"=" + std::string(50'000, '=') + "hex:01,\\\n" + std::string(900'000, '\\') + "x\n";
    std::string backslashLines = "\"X\"=" + std::string(50'000, '=') + "hex:01,\\\n";
    for (int i = 0; i < 450'000; ++i) {
        backslashLines += "\\\n";
    }
    backslashLines += "\n";
    for (const Case& c : {Case{"many bytes", manyBytes, 170'001}, Case{"runaway line", runaway, 0},
                          Case{"backslash lines", backslashLines, 0}}) {
        const std::string text = head + c.body + tail;
        ASSERT_LE(text.size(), RegFileStore::kMaxFileSize) << c.label;
        const auto entries = regfile::parse(text, key);
        ASSERT_EQ(entries.size(), c.bigValueSize > 0 ? 2u : 1u) << c.label;
        EXPECT_EQ(entries.back().name, "PORT_NR") << c.label;
        EXPECT_EQ(entries.back().data, (std::vector<unsigned char>{9, 0, 0, 0})) << c.label;
        if (c.bigValueSize > 0) {
            EXPECT_EQ(entries.front().data.size(), c.bigValueSize) << c.label;
            EXPECT_EQ(entries.front().data.back(), 0x5a) << c.label;
        }
    }
}

TEST(RegFileFormat, UnknownValuesSurviveARewrite) {
    const std::string key = "HKEY_CURRENT_USER\\K";
    const auto entries =
        regfile::parse("REGEDIT4\n\n[" + key +
                           "]\n\"A\"=hex(7):61,00,00,\\\n  00\n\"B\"=dword:FFFFFFFF\n@=\"x\"\n",
                       key);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].type, 7u);
    EXPECT_EQ(entries[0].data, (std::vector<unsigned char>{0x61, 0, 0, 0}));
    EXPECT_EQ(regfile::parse(regfile::write(entries, key), key), entries);
    EXPECT_EQ(regfile::write(entries, key),
              "REGEDIT4\n\n[" + key + "]\n\"A\"=hex(7):61,00,00,00\n\"B\"=dword:ffffffff\n\n");
}

} // namespace

namespace {

// Whatever a damaged file holds, what is read from it is written back so that
// it reads the same: the writer and the reader agree on every value.
TEST(RegFileFormat, MangledFilesReadBackAsWritten) {
    const std::string key = "HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0";
    const std::string valid =
        "REGEDIT4\n\n[" + key +
        "]\n\"BACKGROUND_TEMP\"=dword:00ffe4ca\n\"FONT_NAME_TEMP\"=\"Arial\"\n"
        "\"FILE_NAME\"=\"C:\\\\a \\\"b\\\".csv\"\n\"X\"=hex(7):61,00,\\\n  00\n"
        "\"PORT_NR\"=dword:00000009\n";
    std::uint32_t seed = 12345;
    const auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const std::string alphabet = bytes("\"\\=:,[]\n\r\0 ahdwordex(7)0f;@\xc5\xbc\xff");
    int valuesSeen = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
            case 0:
                text.insert(at, 1, alphabet[random() % alphabet.size()]);
                break;
            case 1:
                if (at < text.size()) {
                    text.erase(at, 1);
                }
                break;
            default:
                text.resize(at); // cut off
                break;
            }
        }
        std::vector<regfile::Entry> entries = regfile::parse(text, key);
        std::erase_if(entries, [](const regfile::Entry& entry) { return entry.ambiguous; });
        valuesSeen += static_cast<int>(entries.size());
        ASSERT_EQ(regfile::parse(regfile::write(entries, key), key), entries) << text;
    }
    EXPECT_GT(valuesSeen, 5000);
}

// A name the program records into is the name it keeps, however long: here
// 303 bytes of UTF-8, which a 256-byte buffer used to drop in favour of the
// name stored before. The same for a font's name.
TEST_F(RegFile, LongTextsAreSavedAndLoadedWhole) {
    RegFileStore store(dir);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    settings.recordFileName = "/stary.csv";
    saveSettings(store, settings, styles, 1920, 1080);

    std::string longName;
    for (int i = 0; i < 149; ++i) {
        longName += "\xC5\xBC"; // ż
    }
    longName = "/" + longName + ".txt";
    settings.recordFileName = longName;
    settings.recordEnabled = 1;
    styles[quantityIndex(Quantity::TEMP)].font.faceName = std::string(300, 'y');
    ASSERT_EQ(longName.size(), 303u);
    saveSettings(store, settings, styles, 1920, 1080);

    AppSettings reloaded;
    auto reloadedStyles = defaultStyles();
    loadSettings(store, reloaded, reloadedStyles);
    EXPECT_EQ(reloaded.recordFileName, longName);
    EXPECT_EQ(reloaded.recordEnabled, 1);
    EXPECT_EQ(reloadedStyles[quantityIndex(Quantity::TEMP)].font.faceName, std::string(300, 'y'));
    EXPECT_NE(readFile().find("\"FILE_NAME\"=\"" + longName + "\"\n"), std::string::npos);
}

} // namespace

namespace {

TEST_F(RegFile, AnotherProgramReadsTheStoredPortAndWritesNothing) {
    RegFileStore store(dir);
    EXPECT_EQ(readStoredPortNumber(store), 0);
    EXPECT_FALSE(fs::exists(file())) << "the key is never created";

    writeFile("REGEDIT4\r\n\r\n" + kSection + "\r\n\"PORT_NR\"=dword:00000009\r\n\"X\"=bad\r\n");
    const std::string before = readFile();
    EXPECT_EQ(readStoredPortNumber(store), 9);
    EXPECT_EQ(readFile(), before) << "a damaged line is kept as it was";
    EXPECT_FALSE(fs::exists(badFile()));
}

} // namespace
