// The pseudo-terminal server's link under a fixed name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

#include "sim/SimPtyServer.h"
#include "sim/SimTransmitter.h"

namespace {

// --link replaces only a symbolic link; anything else at the path stays, also
// on exit, and so does what took the link's place while serving.
TEST(SimPtyServerLink, OnlyASymbolicLinkIsReplacedOrRemoved)
{
    namespace fs = std::filesystem;
    const fs::path Path = fs::temp_directory_path() / ("hart-sim-link-" + std::to_string(::getpid()));
    TSimTransmitter Transmitter;
    std::ofstream(Path) << "keep";
    {
        TSimPtyServer Server(Transmitter);
        EXPECT_THROW(Server.MakeLink(Path.string()), std::system_error);
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path)));
    fs::remove(Path);
    fs::create_symlink("/nonexistent", Path);  // left behind by an earlier run
    {
        TSimPtyServer Server(Transmitter);
        Server.MakeLink(Path.string());
        EXPECT_EQ(fs::read_symlink(Path).string(), Server.SlavePath());
        fs::remove(Path);
        std::ofstream(Path) << "keep";
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path)));
    fs::remove(Path);
}

}  // namespace
