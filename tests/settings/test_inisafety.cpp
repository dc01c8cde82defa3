// Settings files that must not be replaced, must not be read, or are written
// by two writers at once.
#include "settings/uqlIniOptions.h"

#include "base/qlException.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct stat StatOf(const std::string& Name)
{
    struct stat St {};
    EXPECT_EQ(::stat(Name.c_str(), &St), 0) << Name;
    return St;
}

// Collects the notices about settings files that are not read.
class TNotices {
public:
    TNotices()
    {
        FOld = qlSetIniNoticeHandler([this](const std::string& N) { FList.push_back(N); });
    }
    ~TNotices() { qlSetIniNoticeHandler(FOld); }
    const std::vector<std::string>& List() const { return FList; }

private:
    std::vector<std::string> FList;
    TqlIniNoticeHandler FOld;
};

// The message of the Exception that F raises ("" when it raises none).
template <class Fn>
std::string ErrorOf(Fn F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.what();
    }
    return "";
}

bool Contains(const std::string& S, const std::string& Part)
{
    return S.find(Part) != std::string::npos;
}

// Bytes this process has read so far (0 when the kernel does not say).
long long BytesRead()
{
    std::ifstream In("/proc/self/io");
    std::string Key;
    long long Value = 0;
    while (In >> Key >> Value)
        if (Key == "rchar:")
            return Value;
    return 0;
}

class IniSafetyTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("settings.ini");
};

} // namespace

TEST_F(IniSafetyTest, FilesThatMustNotBeReplacedAreRefusedAndLeftAlone)
{
    // Each case makes Name something a write must refuse; the reason must be
    // in the message along with the file's name.
    struct TCase {
        const char* What;
        std::function<void(const std::string&)> Make;
        const char* Reason;
    };
    const std::string Other = Dir.File("other-name.ini");
    const std::vector<TCase> Cases = {
        {"read-only", [](const std::string& N) { WriteFileBytes(N, "[s]\r\nk=1\r\n"); ::chmod(N.c_str(), 0444); },
         "read-only"},
        {"hard link", [&](const std::string& N) { WriteFileBytes(N, "[s]\r\nk=1\r\n"); fs::create_hard_link(N, Other); },
         "2 hard links"},
        {"FIFO", [](const std::string& N) { ASSERT_EQ(::mkfifo(N.c_str(), 0644), 0); }, "a FIFO"},
        {"folder", [](const std::string& N) { fs::create_directory(N); }, "a folder"},
        {"link to a device", [](const std::string& N) { fs::create_symlink("/dev/null", N); },
         "a character device"},
        {"socket",
         [](const std::string& N) {
             const int S = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un A {};
             A.sun_family = AF_UNIX;
             N.copy(A.sun_path, sizeof A.sun_path - 1);
             ASSERT_EQ(::bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A), 0);
             ::close(S);
         },
         "a socket"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        fs::remove_all(Name);
        fs::remove(Other);
        C.Make(Name);
        const struct stat Before = StatOf(Name);
        for (const auto& Write : std::vector<std::function<void()>>{
                 [&] { TqlIniFile(Name).WriteString("s", "k", "2"); },
                 [&] { TqlIniFile(Name).ReplaceSection("s", {{"k", "2"}}); },
                 [&] { TqlIniFile(Name).EraseSection("s"); },
                 [&] { qlWriteFileAtomically(Name, "[s]\r\nk=2\r\n"); }}) {
            const std::string Error = ErrorOf(Write);
            EXPECT_TRUE(Contains(Error, Name)) << Error;
            EXPECT_TRUE(Contains(Error, C.Reason)) << Error;
        }
        const struct stat After = StatOf(Name);
        EXPECT_EQ(After.st_ino, Before.st_ino) << "the file was replaced";
        EXPECT_EQ(After.st_mode, Before.st_mode);
        if (S_ISREG(After.st_mode)) {
            EXPECT_EQ(ReadFileBytes(Name), "[s]\r\nk=1\r\n");
        }
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(fs::exists(Dir.File("settings.ini.tmp")));
}

TEST_F(IniSafetyTest, ReplacementKeepsModeOwnerAndGroupAndNeverShowsMore)
{
    WriteFileBytes(Name, "[s]\r\nk=0\r\n");
    ::chmod(Name.c_str(), 0600);
    const bool Privileged = ::geteuid() == 0;
    if (Privileged) {
        ASSERT_EQ(::chown(Name.c_str(), 4321, 4322), 0);
    }

    // While the file is rewritten, every temporary file seen beside it must
    // already be as closed as the target.
    std::atomic<bool> Done{false};
    std::atomic<int> Seen{0};
    std::atomic<int> TooOpen{0};
    std::thread Watcher([&] {
        while (!Done) {
            std::error_code Ec;
            for (const auto& E : fs::directory_iterator(Dir.Path(), Ec)) {
                struct stat St {};
                if (E.path().string() == Name || ::stat(E.path().c_str(), &St) != 0)
                    continue;
                ++Seen;
                if ((St.st_mode & 0777) != 0600)
                    ++TooOpen;
            }
        }
    });
    TqlIniFile Ini(Name);
    const std::string Big(4096, 'x');
    for (int I = 1; I <= 200; ++I)
        Ini.WriteString("s", "k", std::to_string(I) + Big);
    Done = true;
    Watcher.join();
    EXPECT_EQ(TooOpen, 0) << "of " << Seen << " temporary files seen";

    const struct stat St = StatOf(Name);
    EXPECT_EQ(St.st_mode & 07777, 0600u);
    if (Privileged) {
        EXPECT_EQ(St.st_uid, 4321u);
        EXPECT_EQ(St.st_gid, 4322u);
    }
    EXPECT_EQ(Ini.ReadString("s", "k", ""), "200" + Big);
}

TEST_F(IniSafetyTest, DanglingLinkIsFollowedAndStaysALink)
{
    const std::string Real = Dir.File("sub/real.ini");
    fs::create_directory(Dir.Path() / "sub");
    fs::create_symlink("sub/real.ini", Name); // relative, and dangling
    TqlIniFile(Name).WriteString("s", "k", "v");
    EXPECT_TRUE(fs::is_symlink(Name));
    EXPECT_EQ(ReadFileBytes(Real), "[s]\r\nk=v\r\n");
    TqlIniFile(Name).WriteString("s", "j", "w");
    EXPECT_TRUE(fs::is_symlink(Name));
    EXPECT_EQ(ReadFileBytes(Real), "[s]\r\nk=v\r\nj=w\r\n");
}

TEST_F(IniSafetyTest, ConcurrentWritersLoseNoKey)
{
    constexpr int PerWriter = 200;
    auto Writer = [&](const std::string& Prefix) {
        TqlIniFile Ini(Name); // each writer with its own object, as two windows would
        for (int I = 0; I < PerWriter; ++I)
            Ini.WriteString("keys", Prefix + std::to_string(I), std::to_string(I));
    };
    std::thread A(Writer, "a");
    std::thread B(Writer, "b");
    A.join();
    B.join();
    const std::vector<std::string> Keys = TqlIniFile(Name).ReadSection("keys");
    EXPECT_EQ(Keys.size(), size_t(2 * PerWriter));
    TqlIniFile Ini(Name);
    for (const char* P : {"a", "b"})
        for (int I = 0; I < PerWriter; I += 37)
            EXPECT_EQ(Ini.ReadString("keys", P + std::to_string(I), "?"), std::to_string(I));
    EXPECT_EQ(EntryCount(Dir.Path()), 1) << "no temporary or lock file may be left behind";
}

TEST_F(IniSafetyTest, FilesThatAreNotReadGiveDefaultsAndOneNotice)
{
    struct TCase {
        const char* What;
        std::function<void(const std::string&)> Make;
        const char* Reason;
    };
    const std::vector<TCase> Cases = {
        {"FIFO", [](const std::string& N) { ASSERT_EQ(::mkfifo(N.c_str(), 0644), 0); }, "a FIFO"},
        {"endless device", [](const std::string& N) { fs::create_symlink("/dev/zero", N); },
         "a character device"},
        {"UTF-16 little-endian", [](const std::string& N) { WriteFileBytes(N, std::string("\xFF\xFE[\0s\0]\0", 8)); },
         "UTF-16"},
        {"UTF-16 big-endian", [](const std::string& N) { WriteFileBytes(N, std::string("\xFE\xFF\0[\0s\0]", 8)); },
         "UTF-16"},
        {"too large",
         [](const std::string& N) {
             WriteFileBytes(N, "[s]\r\nk=1\r\n");
             fs::resize_file(N, uintmax_t(qlMaxIniFileSize) + 1);
         },
         "larger than 16 MiB"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        fs::remove_all(Name);
        C.Make(Name);
        TNotices Notices;
        TqlIniFile Ini(Name);
        for (int I = 0; I < 5; ++I) {
            EXPECT_EQ(Ini.ReadString("s", "k", "dflt"), "dflt");
            EXPECT_TRUE(Ini.ReadSection("s").empty());
        }
        ASSERT_EQ(Notices.List().size(), 1u) << "one notice for one state of the file";
        EXPECT_TRUE(Contains(Notices.List()[0], Name)) << Notices.List()[0];
        EXPECT_TRUE(Contains(Notices.List()[0], C.Reason)) << Notices.List()[0];
    }
    // A file at the limit is still read.
    fs::remove(Name);
    WriteFileBytes(Name, "[s]\r\nk=1\r\n;");
    fs::resize_file(Name, uintmax_t(qlMaxIniFileSize));
    EXPECT_EQ(TqlIniFile(Name).ReadString("s", "k", "dflt"), "1");
}

TEST_F(IniSafetyTest, Utf16FileIsNeitherReadNorWritten)
{
    for (const std::string& Bytes : {std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x31\0", 18),
                                     std::string("\xFE\xFF\0[\0s\0]\0\r\0\n\0k\0=\0\x31", 18)}) {
        WriteFileBytes(Name, Bytes);
        TNotices Notices;
        EXPECT_EQ(TqlIniFile(Name).ReadString("s", "k", "dflt"), "dflt");
        ASSERT_EQ(Notices.List().size(), 1u);
        const std::string Error = ErrorOf([&] { TqlIniFile(Name).WriteString("s", "j", "2"); });
        EXPECT_TRUE(Contains(Error, Name) && Contains(Error, "UTF-16")) << Error;
        EXPECT_EQ(ReadFileBytes(Name), Bytes) << "nothing may be added to the file";
    }
}

TEST_F(IniSafetyTest, FileIsParsedOnceAndReadAgainOnlyWhenItChanged)
{
    // A 1 MiB file read for 26 keys: its bytes are read once.
    std::string Text = "[s]\r\nk=1\r\n";
    while (Text.size() < (1u << 20))
        Text += "; padding padding padding padding padding padding padding\r\n";
    WriteFileBytes(Name, Text);
    TqlIniFile Ini(Name);
    const long long Before = BytesRead();
    for (int I = 0; I < 26; ++I)
        EXPECT_EQ(Ini.ReadString("s", "k", ""), "1");
    if (Before > 0) {
        EXPECT_LT(BytesRead() - Before, 3LL << 20);
    }

    // A change of size, or of the modification time alone, is seen.
    WriteFileBytes(Name, "[s]\r\nk=22\r\n");
    EXPECT_EQ(Ini.ReadString("s", "k", ""), "22");
    WriteFileBytes(Name, "[s]\r\nk=33\r\n");
    const timespec Times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Name.c_str(), Times, 0), 0);
    EXPECT_EQ(Ini.ReadString("s", "k", ""), "33");
    // Another object's write is seen too.
    TqlIniFile(Name).WriteString("s", "k", "44");
    EXPECT_EQ(Ini.ReadString("s", "k", ""), "44");
}

TEST_F(IniSafetyTest, WritingToATooLargeFileIsRefused)
{
    WriteFileBytes(Name, "[s]\r\nk=1\r\n");
    fs::resize_file(Name, uintmax_t(qlMaxIniFileSize) + 10);
    const std::string Error = ErrorOf([&] { TqlIniFile(Name).WriteString("s", "k", "2"); });
    EXPECT_TRUE(Contains(Error, Name)) << Error;
    EXPECT_TRUE(Contains(Error, "larger than 16 MiB")) << Error;
    EXPECT_EQ(fs::file_size(Name), uintmax_t(qlMaxIniFileSize) + 10);
}
