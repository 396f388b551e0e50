#include "platform/desktop/DesktopApplications.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/desktop/DesktopOpen.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::vector<std::string> Ids(const std::vector<DesktopApplication>& applications) {
    std::vector<std::string> ids;
    for (const DesktopApplication& application : applications)
        ids.push_back(application.id);
    return ids;
}

// A hand-written XDG tree: a user config and data folder and one system data folder.
class DesktopApplications : public ::testing::Test {
  protected:
    TempDir dir;
    XdgFolders folders{{(dir.path() / "config").string()},
                       {(dir.path() / "home").string(), (dir.path() / "usr").string()}};

    void entry(const std::string& folder, const std::string& relative, const std::string& body) {
        const fs::path file = dir.path() / folder / "applications" / relative;
        fs::create_directories(file.parent_path());
        testing::WriteFile(file, "# comment\n[Desktop Entry]\n" + body);
    }
    void app(const std::string& folder, const std::string& relative, const std::string& name,
             const std::string& types, const std::string& extra = "") {
        entry(folder, relative,
              "Type=Application\nName=" + name + "\nName[de]=Anders\nExec=" + name +
                  " %U\nMimeType=" + types + "\n" + extra);
    }
    void mimeapps(const fs::path& file, const std::string& body) {
        fs::create_directories(file.parent_path());
        testing::WriteFile(file, body);
    }
};

TEST_F(DesktopApplications, DefaultsThenAddedThenHandlersByName) {
    app("usr", "zeta.desktop", "Zeta", "text/plain;");
    app("usr", "alpha.desktop", "Alpha", "text/plain;image/png;");
    app("usr", "viewer.desktop", "Viewer", "image/png;");
    app("usr", "kde/editor.desktop", "Editor", "text/plain");  // id kde-editor.desktop
    app("usr", "hidden.desktop", "Hidden", "text/plain;", "Hidden=true\n");
    entry("usr", "link.desktop", "Type=Link\nName=Link\nURL=x\nMimeType=text/plain;\n");
    entry("usr", "noexec.desktop", "Type=Application\nName=None\nMimeType=text/plain;\n");
    mimeapps(dir.path() / "config" / "mimeapps.list",
             "[Default Applications]\ntext/plain=missing.desktop;kde-editor.desktop;\n"
             "[Added Associations]\ntext/plain=viewer.desktop;\n");
    const auto found = ApplicationsForType("text/plain", folders);
    EXPECT_EQ(Ids(found), (std::vector<std::string>{"kde-editor.desktop", "viewer.desktop",
                                                    "alpha.desktop", "zeta.desktop"}));
    EXPECT_EQ(found[0].name, "Editor");
    EXPECT_EQ(found[0].exec, "Editor %U");
    EXPECT_EQ(Ids(ApplicationsForType("image/png", folders)),
              (std::vector<std::string>{"alpha.desktop", "viewer.desktop"}));
    EXPECT_TRUE(ApplicationsForType("audio/flac", folders).empty());
}

TEST_F(DesktopApplications, UserFilesHideAndReplaceSystemOnes) {
    app("usr", "alpha.desktop", "Alpha", "text/plain;");
    app("usr", "beta.desktop", "Beta", "text/plain;");
    app("usr", "gamma.desktop", "Gamma", "text/plain;");
    // The user's copy of gamma wins, and its name is the one shown.
    app("home", "gamma.desktop", "Gamma Local", "text/plain;");
    // The user removed beta; the system list adds it back, but less important files cannot.
    mimeapps(dir.path() / "config" / "mimeapps.list",
             "[Removed Associations]\ntext/plain=beta.desktop;\n");
    mimeapps(dir.path() / "usr" / "applications" / "mimeapps.list",
             "[Added Associations]\ntext/plain=beta.desktop;\n"
             "[Default Applications]\ntext/plain=gamma.desktop\n");
    const auto found = ApplicationsForType("text/plain", folders);
    EXPECT_EQ(Ids(found), (std::vector<std::string>{"gamma.desktop", "alpha.desktop"}));
    EXPECT_EQ(found[0].name, "Gamma Local");
    EXPECT_EQ(found[0].file, (dir.path() / "home" / "applications" / "gamma.desktop").string());
}

DesktopApplication Line(std::string exec) {
    return {"x.desktop", "My App", std::move(exec), "my-icon", "/apps/x.desktop"};
}

TEST(ExecArguments, FieldCodesAndQuoting) {
    const std::string path = "/media/cd/my \"docs\"/a $b.txt";
    using V = std::vector<std::string>;
    EXPECT_EQ(ExecArguments(Line("app %f"), path), (V{"app", path}));
    EXPECT_EQ(ExecArguments(Line("app --open=%U --x"), path), (V{"app", "--open=" + path, "--x"}));
    EXPECT_EQ(ExecArguments(Line("app %i %c %k 100%% %F"), path),
              (V{"app", "--icon", "my-icon", "My App", "/apps/x.desktop", "100%", path}));
    EXPECT_EQ(ExecArguments(Line("\"/opt/My App/run\" \"a \\\"q\\\" \\\\ \\$x\" %u"), path),
              (V{"/opt/My App/run", "a \"q\" \\ $x", path}));
    // Deprecated codes go; a line without a file code still gets the file, last.
    EXPECT_EQ(ExecArguments(Line("app %d %m -n"), path), (V{"app", "-n", path}));
    EXPECT_TRUE(ExecArguments(Line("app \"unclosed %f"), path).empty());
    EXPECT_TRUE(ExecArguments(Line("   "), path).empty());
    EXPECT_TRUE(ExecArguments(Line("%f --run"), path).empty());  // would run the file itself
}

TEST(StartApplication, RunsTheLineWithoutAShell) {
    TempDir dir;
    const fs::path script = dir.path() / "record.sh";
    const fs::path record = dir.path() / "record";
    testing::WriteFile(script, "#!/bin/sh\nline=\"$PWD\"\nfor a in \"$@\"; do line=\"$line|$a\"; "
                               "done\necho \"$line\" > \"" + record.string() + ".tmp\"\nmv \"" +
                                   record.string() + ".tmp\" \"" + record.string() + "\"\n");
    ::chmod(script.c_str(), 0755);
    const std::string file = "/x/$(touch pwned) `y`;a b.txt";
    const auto arguments = ExecArguments(Line("\"" + script.string() + "\" %f"), file);
    std::string error;
    ASSERT_TRUE(StartApplication(arguments, dir.path().string(), error)) << error;
    for (int i = 0; i < 500 && !fs::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(record);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, dir.path().string() + "|" + file);
    EXPECT_FALSE(fs::exists(dir.path() / "pwned"));

    EXPECT_FALSE(StartApplication({"no-such-program-here"}, dir.path().string(), error));
    EXPECT_NE(error.find("no-such-program-here"), std::string::npos);
    EXPECT_FALSE(StartApplication({}, dir.path().string(), error));
}

}  // namespace
}  // namespace shelfmark
