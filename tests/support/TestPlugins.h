#pragma once
// The test plug-ins (tests/plugins/fixtures) for the programs that load plug-ins: copied into
// plug-in folders of a temporary tree, with the calls they log read back.
#include "TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Copies the test plug-in name (or, with FK_EXAMPLE_PLUGIN as name, the example plug-in) into
// tree/folder/, as fileName when given.
inline std::string InstallTestPlugin(const TempTree& tree, const std::string& folder, const std::string& name,
                                     const std::string& fileName = {})
{
    const std::string source = name.ends_with(".so") ? name : std::string(FK_TEST_PLUGINS_DIR) + "/" + name + ".so";
    const std::string target = tree.Dir(folder) + "/" + (fileName.empty() ? name + ".so" : fileName);
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    return target;
}

// While it lives, the test plug-ins append their calls to a file of its own.
class TestPluginLog {
public:
    TestPluginLog() { setenv("FK_TEST_PLUGIN_LOG", path_.c_str(), 1); }
    ~TestPluginLog() { unsetenv("FK_TEST_PLUGIN_LOG"); }
    TestPluginLog(const TestPluginLog&) = delete;
    TestPluginLog& operator=(const TestPluginLog&) = delete;

    // Every logged line ("<plug-in> <EXPORT>[ <detail>]"), or those of one plug-in without its name.
    std::vector<std::string> Lines(const std::string& plugin = {}) const
    {
        std::vector<std::string> lines;
        std::ifstream log(path_);
        const std::string prefix = plugin + " ";
        for (std::string line; std::getline(log, line);) {
            if (plugin.empty())
                lines.push_back(line);
            else if (line.starts_with(prefix))
                lines.push_back(line.substr(prefix.size()));
        }
        return lines;
    }
    // Adds a line of the test's own, to see where host events fall among the plug-in calls.
    void Append(const std::string& line) const { std::ofstream(path_, std::ios::app) << line << '\n'; }

private:
    TempTree dir_;
    std::string path_ = dir_.Path("calls.log");
};
