// Every file tamr-cli writes against what goes wrong when saving: each
// writing command (and each of its outputs) through the same table of cases.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

// One output of one command: the command line that writes OUT, reading IN.
struct Writer {
    const char* what;
    const char* outName; // the output's name in the scratch folder
    std::function<std::string(const std::string& in, const std::filesystem::path& out)> line;
};

// The test's name shows the output, not the bytes of the record.
void PrintTo(const Writer& writer, std::ostream* out)
{
    *out << writer.what;
}

std::string Q(const std::filesystem::path& path)
{
    return Quoted(path.string());
}

std::vector<Writer> Writers()
{
    // The sweep and batch name their files in a folder: OUT is one of them.
    return {
        {"compress", "out.cod", [](auto& in, auto& out) { return "compress " + Quoted(in) + " " + Q(out); }},
        {"compress --decoded", "out.bmp",
         [](auto& in, auto& out) {
             return "compress " + Quoted(in) + " " + Q(out.parent_path() / "other.cod") + " --decoded " + Q(out);
         }},
        {"roundtrip", "out.ppm", [](auto& in, auto& out) { return "roundtrip " + Quoted(in) + " " + Q(out); }},
        {"convert", "out.png", [](auto& in, auto& out) { return "convert " + Quoted(in) + " " + Q(out); }},
        {"palette", "out.bmp", [](auto& in, auto& out) { return "palette " + Quoted(in) + " " + Q(out); }},
        {"filter", "out.bmp",
         [](auto& in, auto& out) { return "filter " + Quoted(in) + " " + Q(out) + " --name Smooth"; }},
        {"sharpen", "out.bmp",
         [](auto& in, auto& out) { return "sharpen " + Quoted(in) + " " + Q(out) + " --amount 40"; }},
        {"compare --diff", "out.png",
         [](auto& in, auto& out) {
             return "compare " + Quoted(in) + " " + Quoted(TAMR_SAMPLE_IMAGE) + " --diff " + Q(out);
         }},
        {"sweep --svg", "out.svg",
         [](auto& in, auto& out) { return "sweep " + Quoted(in) + " --qualities 50 --peers none --svg " + Q(out); }},
        {"sweep --out", "tamr-q050.cod",
         [](auto& in, auto& out) {
             return "sweep " + Quoted(in) + " --qualities 50 --peers none --threads 2 --out " + Q(out.parent_path());
         }},
        {"batch", "in.cod",
         [](auto& in, auto& out) { return "batch -q 50 --out " + Q(out.parent_path()) + " " + Quoted(in); }},
    };
}

// What the run said: batch lists a failed file's reason in its table.
std::string Said(const test::CliRun& run)
{
    return run.err + run.out;
}

std::vector<std::string> TemporariesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".tamr-") != std::string::npos)
            left.push_back(entry.path().string());
    return left;
}

// A scratch folder with the input picture `in.bmp` and a folder `out` for the output.
struct Folders {
    test::ScratchDir scratch;
    std::filesystem::path in = scratch / "in.bmp";
    std::filesystem::path folder = scratch / "out";
    Folders()
    {
        std::filesystem::copy_file(TAMR_SAMPLE_IMAGE, in);
        std::filesystem::create_directory(folder);
    }
};

class CliSavingTest : public ::testing::TestWithParam<Writer> {};

TEST_P(CliSavingTest, FileSizeLimitLeavesTheOldFile)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    const std::vector<std::uint8_t> previous(100, 7);
    test::WriteBytes(out, previous);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch, "ulimit -f 1; ");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(Said(run).find("Cannot Save to the file!!"), std::string::npos) << Said(run);
    EXPECT_NE(Said(run).find(": File too large\n"), std::string::npos) << Said(run);
    EXPECT_EQ(test::ReadBytes(out), previous);
    EXPECT_EQ(TemporariesIn(setup.scratch.Path()), std::vector<std::string>{});
}

TEST_P(CliSavingTest, DanglingLinkHasItsFileWritten)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    std::filesystem::create_directory(setup.scratch / "real");
    std::filesystem::create_symlink(setup.scratch / "real" / GetParam().outName, out);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(out));
    EXPECT_GT(std::filesystem::file_size(setup.scratch / "real" / GetParam().outName), 0u);
    EXPECT_EQ(TemporariesIn(setup.scratch.Path()), std::vector<std::string>{});
}

TEST_P(CliSavingTest, FifoWithoutReaderIsRefusedAtOnce)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    ASSERT_EQ(mkfifo(out.c_str(), 0644), 0);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(Said(run).find(": No such device or address\n"), std::string::npos) << Said(run);
    EXPECT_TRUE(std::filesystem::is_fifo(out));
}

TEST_P(CliSavingTest, LongestNameIsWritten)
{
    Folders setup;
    // The sweep and batch choose their names; the others take a 250-byte one.
    const std::string name = std::string(GetParam().outName).starts_with("out.")
                                 ? std::string(246, 'n') + std::string(GetParam().outName).substr(3)
                                 : GetParam().outName;
    const auto out = setup.folder / name;
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(std::filesystem::file_size(out), 0u);
    EXPECT_EQ(TemporariesIn(setup.scratch.Path()), std::vector<std::string>{});
}

TEST_P(CliSavingTest, OutputThatIsTheInputUnderAnyNameIsRefused)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    const auto original = test::ReadBytes(setup.in);
    const std::function<void()> makeOutputTheInput[] = {
        [&] { std::filesystem::copy_file(setup.in, out); },
        [&] { std::filesystem::create_symlink(setup.in, out); },
        [&] { std::filesystem::create_hard_link(setup.in, out); },
    };
    for (const auto& make : makeOutputTheInput) {
        std::filesystem::remove(out);
        make();
        // By its own name (a copy read as the input), through a link, as a hard link.
        const std::string in = std::filesystem::is_regular_file(std::filesystem::symlink_status(out)) &&
                                       std::filesystem::hard_link_count(out) == 1
                                   ? out.string()
                                   : setup.in.string();
        const auto before = test::ReadBytes(in);
        const auto run = test::RunCli(GetParam().line(in, out), setup.scratch);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(Said(run).find(" is the input picture; choose another name"), std::string::npos) << Said(run);
        EXPECT_EQ(test::ReadBytes(in), before);
    }
    EXPECT_EQ(test::ReadBytes(setup.in), original);
}

TEST_P(CliSavingTest, ReadOnlyFolderIsReportedWithItsReason)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; the folder and full-disk cases cover this";
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    std::filesystem::permissions(setup.folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    std::filesystem::permissions(setup.folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(Said(run).find(": Permission denied\n"), std::string::npos) << Said(run);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_P(CliSavingTest, FolderIsNeverReplaced)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    std::filesystem::create_directory(out);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(Said(run).find(": Is a directory\n"), std::string::npos) << Said(run);
    EXPECT_TRUE(std::filesystem::is_directory(out));
}

TEST_P(CliSavingTest, FullDiskIsReportedWithItsReason)
{
    Folders setup;
    const auto out = setup.folder / GetParam().outName;
    // The device that is always full, written in place through a link.
    std::filesystem::create_symlink("/dev/full", out);
    const auto run = test::RunCli(GetParam().line(setup.in.string(), out), setup.scratch);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(Said(run).find("Cannot Save to the file!!"), std::string::npos) << Said(run);
    EXPECT_NE(Said(run).find(": No space left on device\n"), std::string::npos) << Said(run);
    EXPECT_TRUE(std::filesystem::is_character_file(out));
}

INSTANTIATE_TEST_SUITE_P(EveryOutput, CliSavingTest, ::testing::ValuesIn(Writers()),
                         [](const ::testing::TestParamInfo<Writer>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

// SIGTERM and SIGINT at random moments of a sweep that writes its points on
// several threads: whenever the signal comes, no temporary file is left.
TEST(CliSavingSignalTest, SignalsDuringAThreadedSweepLeaveNoTemporary)
{
    test::ScratchDir scratch;
    const auto folder = scratch / "points";
    const std::string cli = TAMR_CLI_PATH;
    std::vector<std::string> arguments{
        cli,         "sweep", TAMR_SAMPLE_IMAGE, "--qualities",  "0:95:5", "--peers", "none",
        "--threads", "4",     "--out",           folder.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The signals' default actions, whatever the test runner ignores; the output goes nowhere.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::mt19937 random(21);
    std::uniform_int_distribution<int> moment(0, 800000);
    int interrupted = 0;
    for (int run = 0; run < 20; ++run) {
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, cli.c_str(), &actions, &attributes, argv.data(), environ), 0);
        usleep(static_cast<useconds_t>(moment(random)));
        const int signal = run % 2 == 0 ? SIGTERM : SIGINT;
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        interrupted += WIFSIGNALED(status) ? 1 : 0;
        ASSERT_EQ(TemporariesIn(folder.parent_path()), std::vector<std::string>{}) << "run " << run;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    EXPECT_GT(interrupted, 0);
}

TEST(CliSavingNamesTest, EmptyNameIsAUsageError)
{
    test::ScratchDir scratch;
    const std::string in = Quoted(TAMR_SAMPLE_IMAGE);
    const std::string lines[] = {
        "convert " + in + " ''",
        "compress " + in + " ''",
        "compress " + in + " " + Q(scratch / "x.cod") + " --decoded ''",
        "compare " + in + " " + in + " --diff ''",
        "sweep " + in + " --peers none --svg ''",
        "sweep " + in + " --peers none --out ''",
        "batch --out '' " + in,
        "info ''",
    };
    for (const std::string& line : lines) {
        const auto run = test::RunCli(line, scratch);
        EXPECT_EQ(run.exitCode, 2) << line << "\n" << run.err;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1); // stderr.txt alone
}

} // namespace
} // namespace tamr
