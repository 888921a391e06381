// leafwright-cli in shell pipelines: standard input and output, file lists,
// shards and the JSON status, run through a shell as a script would.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class PipelineTest : public ::testing::Test {
  protected:
    PipelineTest() { fs::create_directory(tmp()); }

    // Runs a shell line in the test folder; "$CLI" is the program, and its
    // temporary files go to a folder of the test's own.
    ProcessResult shell(const std::string& line) {
        return runProcess(
            {"bash", "-c", "export TMPDIR=\"$1\"; CLI=\"$0\"; " + line, LEAFWRIGHT_CLI, tmp()},
            dir.path());
    }
    ProcessResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), LEAFWRIGHT_CLI);
        return runProcess(args, dir.path());
    }
    std::string path(const std::string& name) const { return dir.file(name); }
    std::string tmp() const { return dir.file("tmp"); }
    void put(const std::string& name, const std::string& text) const {
        writeBytes(path(name), text);
    }

    TempDir dir;
};

std::vector<Json> jsonLines(const std::string& out) {
    std::vector<Json> objects;
    for (const std::string& line : splitLines(out)) objects.push_back(Json::parse(line));
    return objects;
}

TEST_F(PipelineTest, StandardInputAndOutputCarryWholeDocumentsOnly) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + " of the piped text\n";
    put("x.txt", text);

    // The filter form, judged by qpdf and pdftotext.
    ProcessResult filter = shell("cat x.txt | \"$CLI\" convert - -o - > x.pdf");
    ASSERT_EQ(filter.exitStatus, 0) << filter.err;
    EXPECT_EQ(filter.err, "");
    ProcessResult check = runProcess({"qpdf", "--check", path("x.pdf")});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
    ProcessResult shown = runProcess({"pdftotext", path("x.pdf"), "-"});
    EXPECT_NE(shown.out.find("line 299 of the piped text"), std::string::npos);

    // -o to a path, from standard input and from a file: the same document.
    ProcessResult toPath = shell("\"$CLI\" convert - -o 'out dir.pdf' < x.txt");
    EXPECT_EQ(toPath.exitStatus, 0) << toPath.err;
    EXPECT_EQ(toPath.out, "out dir.pdf\n");
    EXPECT_EQ(readBytes(path("out dir.pdf")), readBytes(path("x.pdf")));
    ProcessResult fileToOut = cli({"convert", "x.txt", "--output", "-"});
    EXPECT_EQ(fileToOut.exitStatus, 0) << fileToOut.err;
    EXPECT_EQ(fileToOut.out, readBytes(path("x.pdf")));

    // Unspool as a filter gives the text back.
    put("plain.pdf", "BT\n(piped text)'\nET\n");
    ProcessResult unspooled = shell("\"$CLI\" unspool - -o - < plain.pdf");
    EXPECT_EQ(unspooled.exitStatus, 0) << unspooled.err;
    EXPECT_EQ(unspooled.out, "piped text\r\n");

    // A failure with -o - leaves standard output empty.
    fs::create_directory(path("folder.txt"));
    for (const std::string& failing : {std::string("\"$CLI\" convert missing.txt -o -"),
                                       std::string("\"$CLI\" convert folder.txt -o -"),
                                       std::string("\"$CLI\" unspool - -o - < folder.txt")}) {
        ProcessResult failed = shell(failing);
        EXPECT_EQ(failed.exitStatus, 1) << failing;
        EXPECT_EQ(failed.out, "") << failing;
        EXPECT_EQ(failed.err.rfind("leafwright-cli: ", 0), 0u) << failed.err;
    }

    // Nothing of it stays in the temporary folder.
    EXPECT_EQ(listFolder(tmp()), std::vector<std::string>{});

    // Ended by a signal while standard input is still being read (its spool
    // open under $TMPDIR), SIGKILL included: nothing of it stays, and the
    // process ends by that signal.
    for (const char* signalName : {"TERM", "KILL"}) {
        ProcessResult killed = shell(
            "rm -f in; mkfifo in; \"$CLI\" convert - -o killed.pdf < in & pid=$!; exec 3>in; "
            "echo partial >&3; "
            "until ls -l /proc/$pid/fd 2>/dev/null | grep -qF \"$TMPDIR/\"; do sleep 0.01; done; "
            "kill -" +
            std::string(signalName) + " $pid; wait $pid; status=$?; exec 3>&-; echo $status");
        EXPECT_EQ(killed.out, signalName == std::string("TERM") ? "143\n" : "137\n") << killed.err;
        EXPECT_EQ(listFolder(tmp()), std::vector<std::string>{}) << signalName;
        EXPECT_FALSE(fs::exists(path("killed.pdf")));
    }

    // Usage errors: exit 2, nothing on standard output, nothing written.
    const std::vector<std::vector<std::string>> usage{
        {"convert", "-"},
        {"convert", "x.txt", "plain.pdf", "-o", "two.pdf"},
        {"convert", "x.txt", "-o", "o.pdf", "--output-dir", "."},
        {"convert", "x.txt", "-o", "o.pdf", "--files-from", "x.txt"},
        {"convert", "x.txt", "-o", "-", "--json"},
        {"convert", "x.txt", "--shard", "3/3"},
        {"convert", "x.txt", "--shard", "1"},
        {"convert", "x.txt", "-j", "0"},
        {"convert", "x.txt", "--force", "--skip-existing"},
        {"unspool", "-"},
        {"unspool", "--files-from"},
    };
    for (const std::vector<std::string>& args : usage) {
        ProcessResult result = cli(args);
        EXPECT_EQ(result.exitStatus, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(result.out, "") << ::testing::PrintToString(args);
    }
    EXPECT_FALSE(fs::exists(path("two.pdf")));
    EXPECT_FALSE(fs::exists(path("o.pdf")));
}

TEST_F(PipelineTest, FileListsTakeAnyNamesAndShardsCoverThemOnce) {
    // Names with blanks, a newline and a leading dash, NUL-separated, with an
    // empty entry; a FILE argument comes first.
    const std::vector<std::string> names{"first.txt", "with space.txt", "new\nline.txt",
                                         "-dash.txt", "sub/deep.txt"};
    fs::create_directory(path("sub"));
    std::string list;
    for (const std::string& name : names) {
        put(name, name + "\n");
        if (name == "first.txt") continue;
        list += name;
        list += '\0';
    }
    list += '\0';
    put("list0", list);

    // The empty entry (the fifth of the list) fails in its place; the others
    // are written.
    ProcessResult listed = cli({"convert", "--json", "first.txt", "--files-from", "list0", "-0"});
    EXPECT_EQ(listed.exitStatus, 1) << listed.err;
    std::vector<Json> objects = jsonLines(listed.out);
    ASSERT_EQ(objects.size(), names.size() + 1) << listed.out;
    EXPECT_EQ(objects.back(), Json::parse(R"({"source": "list0", "status": "failed",
                                              "message": "list0: empty name at entry 5"})"));
    objects.pop_back();
    std::vector<std::string> sources;
    for (const Json& object : objects) {
        sources.push_back(object["source"]);
        EXPECT_EQ(object["status"], "written");
        EXPECT_TRUE(fs::is_regular_file(path(object["output"])));
    }
    EXPECT_EQ(sources, names);

    // A list of lines from standard input; every source in it once, across
    // the three shards.
    std::string lines;
    std::multiset<std::string> expected;
    for (int i = 0; i < 20; ++i) {
        const std::string stem = "n" + std::to_string(i);
        put(stem + ".txt", stem + "\n");
        lines += stem + ".txt\n";
        expected.insert(stem + ".pdf");
    }
    put("list", lines);
    std::multiset<std::string> covered;
    for (const char* shard : {"0/3", "1/3", "2/3"}) {
        ProcessResult part =
            shell(std::string("\"$CLI\" convert --shard ") + shard + " --files-from - < list");
        EXPECT_EQ(part.exitStatus, 0) << part.err;
        for (const std::string& line : splitLines(part.out)) covered.insert(line);
    }
    EXPECT_EQ(covered, expected);

    // A list that cannot be read is a failure, named.
    ProcessResult missing = cli({"convert", "--files-from", "no-list"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("no-list"), std::string::npos) << missing.err;
}

// Empty names, and names holding a NUL byte, are each reported once, in
// their place, by one shard; an endless run of empty ones (a device as the
// list) is refused, the files before it done.
TEST_F(PipelineTest, UnusableNamesInAListAreReportedAndAnEndlessRunOfEmptyOnesIsRefused) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) put(name, "text\n");
    put("list", "a.txt\n\nb.txt\n\n");
    const std::string expectedErr =
        "leafwright-cli: list: empty name at entry 2\n"
        "leafwright-cli: list: empty name at entry 4\n";
    for (const char* jobs : {"1", "2"}) {
        ProcessResult run = cli({"convert", "--force", "-j", jobs, "--files-from", "list"});
        EXPECT_EQ(run.exitStatus, 1) << jobs;
        EXPECT_EQ(run.out, "a.pdf\nb.pdf\n") << jobs;
        EXPECT_EQ(run.err, expectedErr) << jobs;
    }
    std::string acrossShards;
    for (const char* shard : {"0/2", "1/2"})
        acrossShards += cli({"convert", "--force", "--shard", shard, "--files-from", "list"}).err;
    EXPECT_EQ(acrossShards.size(), expectedErr.size()) << acrossShards;

    // In a list of lines a name holding a NUL byte names no file either:
    // one that starts with it is no empty name, one with a NUL inside is not
    // cut there (it would name b.txt).
    std::string nuls = "a.txt\n";
    nuls += std::string(1, '\0') + "\xbf\nb.txt";
    nuls += std::string(1, '\0') + "x\n" + std::string(1, '\0') + "E7\nd.txt\n";
    put("d.txt", "text\n");
    put("nuls", nuls);
    ProcessResult held = cli({"convert", "--force", "--files-from", "nuls"});
    EXPECT_EQ(held.exitStatus, 1);
    EXPECT_EQ(held.out, "a.pdf\nd.pdf\n");
    EXPECT_EQ(held.err,
              "leafwright-cli: nuls: name holding a NUL byte at entry 2\n"
              "leafwright-cli: nuls: name holding a NUL byte at entry 3\n"
              "leafwright-cli: nuls: name holding a NUL byte at entry 4\n");

    std::string endless = "a.txt";
    endless += std::string(1500, '\0') + "c.txt";
    endless += '\0';
    put("zeros", endless);
    for (const char* jobs : {"1", "2"}) {
        ProcessResult run = cli({"convert", "--force", "-0", "-j", jobs, "--files-from", "zeros"});
        EXPECT_EQ(run.exitStatus, 1) << jobs;
        EXPECT_EQ(run.out, "a.pdf\n") << jobs;
        const std::vector<std::string> messages = splitLines(run.err);
        ASSERT_EQ(messages.size(), 1000u) << jobs;
        EXPECT_EQ(messages[998], "leafwright-cli: zeros: empty name at entry 1000");
        EXPECT_EQ(messages[999],
                  "leafwright-cli: zeros: holds 1000 empty names in a row; it is read no further");
        EXPECT_FALSE(fs::exists(path("c.pdf")));
    }
}

// Started with a standard stream closed, the program still uses it as
// closed: the spool of standard input is not read in its place, and the
// paths of a closed standard output are a failure. Nor does an output take
// the place of the file standard input comes from.
TEST_F(PipelineTest, StandardStreamsClosedOrFromTheOutputFail) {
    put("a.txt", "from a\n");
    ProcessResult noInput = shell("\"$CLI\" convert - -o in.pdf <&-");
    EXPECT_EQ(noInput.exitStatus, 1) << noInput.err;
    EXPECT_NE(noInput.err.find("Bad file descriptor"), std::string::npos) << noInput.err;
    EXPECT_FALSE(fs::exists(path("in.pdf")));

    ProcessResult noOutput = shell("\"$CLI\" convert -o out.pdf - < a.txt >&-");
    EXPECT_EQ(noOutput.exitStatus, 1) << noOutput.err;
    EXPECT_NE(noOutput.err.find("standard output: Bad file descriptor"), std::string::npos)
        << noOutput.err;
    EXPECT_NE(readBytes(path("out.pdf")).find("(from a)"), std::string::npos);

    // Standard input read from the file named as the output: refused, even
    // with --force, as a named source would be.
    ProcessResult ownSource = shell("\"$CLI\" convert --force - -o a.txt < a.txt");
    EXPECT_EQ(ownSource.exitStatus, 1);
    EXPECT_EQ(ownSource.err, "leafwright-cli: -: the output would overwrite its own source\n");
    EXPECT_EQ(readBytes(path("a.txt")), "from a\n");
}

// --max-input bounds standard input; a spool that passes it is removed.
TEST_F(PipelineTest, StandardInputStopsAtItsBound) {
    put("x.txt", std::string(5000, 'x') + "\n");
    ProcessResult bounded = shell("\"$CLI\" convert - -o x.pdf --max-input 4k < x.txt");
    EXPECT_EQ(bounded.exitStatus, 1);
    EXPECT_EQ(bounded.err, "leafwright-cli: -: not read whole: more than --max-input 4k\n");
    EXPECT_FALSE(fs::exists(path("x.pdf")));
    EXPECT_EQ(listFolder(tmp()), std::vector<std::string>{});

    ProcessResult roomy = shell("\"$CLI\" convert - -o x.pdf --max-input=1M < x.txt");
    EXPECT_EQ(roomy.exitStatus, 0) << roomy.err;
    EXPECT_TRUE(fs::exists(path("x.pdf")));
    for (const char* size : {"0", "4x", "K", "99999999999G"})
        EXPECT_EQ(cli({"convert", "-", "-o", "y.pdf", "--max-input", size}).exitStatus, 2) << size;
}

// The written paths reach a pipe as each file is done: a signal that ends the
// run later does not take them along. The run waits for more names of its
// list when the test reads the first path and then ends it (the read gives
// up after a while only where the path never comes).
TEST_F(PipelineTest, WrittenPathsReachAPipeBeforeASignalEndsTheRun) {
    put("a.txt", "a\n");
    ProcessResult run = shell(
        "mkfifo list out; \"$CLI\" convert -j 1 --files-from list > out & pid=$!; "
        "exec 4<out 3>list; echo a.txt >&3; read -r -t 60 line <&4; "
        "kill -TERM $pid; wait $pid; status=$?; exec 3>&- 4<&-; echo \"$status $line\"");
    EXPECT_EQ(run.out, "143 a.pdf\n") << run.err;
    EXPECT_TRUE(fs::exists(path("a.pdf")));
}

TEST_F(PipelineTest, JsonStatusDescribesEachFile) {
    std::string text;
    for (int i = 0; i < 120; ++i) text += "paginated line\n";  // three pages
    put("a.txt", text);
    put("b.txt", "b\n");
    put("b.pdf", "older");
    const std::string oddName = "caf\xe9.txt";  // Windows-1252, not UTF-8
    put(oddName, "odd\n");

    ProcessResult run = cli({"convert", "--json", "a.txt", "b.txt", "gone.txt", oddName});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "");
    const std::vector<Json> objects = jsonLines(run.out);
    ASSERT_EQ(objects.size(), 4u) << run.out;

    EXPECT_EQ(objects[0]["source"], "a.txt");
    EXPECT_EQ(objects[0]["output"], "a.pdf");
    EXPECT_EQ(objects[0]["status"], "written");
    EXPECT_EQ(objects[0]["pages"], 3);
    EXPECT_EQ(objects[0]["bytes"], fs::file_size(path("a.pdf")));
    EXPECT_GE(objects[0]["seconds"].get<double>(), 0.0);
    EXPECT_EQ(objects[0]["warnings"], Json::array());

    EXPECT_EQ(objects[1]["status"], "skipped");
    EXPECT_NE(objects[1]["message"].get<std::string>().find("b.pdf already exists"),
              std::string::npos);
    EXPECT_EQ(readBytes(path("b.pdf")), "older");

    EXPECT_EQ(objects[2]["status"], "failed");
    EXPECT_NE(objects[2]["message"].get<std::string>().find("gone.txt"), std::string::npos);

    EXPECT_EQ(objects[3]["source"], "caf\xef\xbf\xbd.txt");
    EXPECT_EQ(objects[3]["source_hex"], "636166e92e747874");
    EXPECT_EQ(objects[3]["status"], "written");

    // An existing output counts as done with --skip-existing: a rerun is safe.
    ProcessResult rerun = cli({"convert", "--json", "--skip-existing", "a.txt", "b.txt"});
    EXPECT_EQ(rerun.exitStatus, 0) << rerun.err;
    for (const Json& object : jsonLines(rerun.out)) EXPECT_EQ(object["status"], "exists");
    ProcessResult quiet = cli({"convert", "--skip-existing", "a.txt", "b.txt"});
    EXPECT_EQ(quiet.exitStatus, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    // A link that leads nowhere is no finished output.
    fs::create_symlink("nowhere.pdf", path("b.pdf.link"));
    fs::rename(path("b.pdf.link"), path("b.pdf"));
    ProcessResult dangling = cli({"convert", "--skip-existing", "b.txt"});
    EXPECT_EQ(dangling.exitStatus, 1);
    EXPECT_EQ(dangling.err,
              "leafwright-cli: b.txt: skipped, b.pdf exists as a link that leads nowhere, not as "
              "a finished output (--force replaces it)\n");
    ProcessResult danglingJson = cli({"convert", "--json", "--skip-existing", "b.txt"});
    EXPECT_EQ(danglingJson.exitStatus, 1);
    EXPECT_EQ(jsonLines(danglingJson.out).at(0)["status"], "skipped");

    // Unspool's warning travels inside its object.
    put("packed.pdf", "1 0 obj << /Filter /FlateDecode /Length 3 >> stream\nxyz\nendstream\n");
    ProcessResult unspooled = cli({"unspool", "--json", "packed.pdf"});
    const std::vector<Json> unspoolObjects = jsonLines(unspooled.out);
    ASSERT_EQ(unspoolObjects.size(), 1u);
    EXPECT_EQ(unspoolObjects[0]["warnings"].size(), 1u) << unspooled.out;
    EXPECT_EQ(unspoolObjects[0].count("pages"), 0u);
}

// Each written file tells the encoding it was read in; a word about the
// reading (here a lone surrogate in UTF-16) goes with the warnings, and to
// standard error without --json.
TEST_F(PipelineTest, JsonStatusTellsTheEncodingOfEachSource) {
    put("plain.txt", "plain\n");
    put("latin.txt", "caf\xe9\n");
    put("wide.txt", std::string("\xFF\xFE"
                                "a\0\0\xDC"
                                "b\0\n\0",
                                10));

    ProcessResult run = cli({"convert", "--json", "plain.txt", "latin.txt", "wide.txt"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<Json> objects = jsonLines(run.out);
    ASSERT_EQ(objects.size(), 3u) << run.out;
    EXPECT_EQ(objects[0]["encoding"], "UTF-8");
    EXPECT_EQ(objects[1]["encoding"], "Windows-1252");
    EXPECT_EQ(objects[2]["encoding"], "UTF-16LE");
    EXPECT_EQ(objects[0]["warnings"], Json::array());
    EXPECT_EQ(objects[2]["warnings"],
              Json::array({"1 byte sequence not valid in UTF-16LE (shown as U+FFFD)"}));

    ProcessResult plain = cli({"convert", "--force", "wide.txt"});
    EXPECT_EQ(plain.exitStatus, 0);
    EXPECT_EQ(
        plain.err,
        "leafwright-cli: wide.txt: 1 byte sequence not valid in UTF-16LE (shown as U+FFFD)\n");
}

}  // namespace
}  // namespace leafwright::testing
