// Whole shopkeeper-cli processes, as an administrator's script runs them: "show" of a shop,
// then "save" of it with its first page renamed, on a workspace whose page-name table has 16
// lines and on the same workspace with 100,000 lines. Each iteration runs both; the small
// table's pair is the floor. Counters: floor_ms and ratio, and show_ratio and save_ratio of
// each command alone (a save that renames a page loads the simplified -> traditional
// dictionaries, which costs the same with either table).
#include "generator/WorkspaceGenerator.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const fs::path kTemp = fs::temp_directory_path();

std::string bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A generated workspace of three shops whose page-name table is padded before its own lines
// to lines in all with names of other keys, as a server's shared table is.
fs::path workspaceWithTable(int lines)
{
    const auto folder = kTemp / ("shopkeeper-bench-cli-" + std::to_string(lines));
    fs::remove_all(folder);
    if (!shopkeeper::generator::generateWorkspace(folder, {.shops = 3, .npcs = 5, .seed = 7}))
        throw std::runtime_error("cannot generate " + folder.string());
    const auto tablePath = folder / "itemshop" / "itemshop.kor.str";
    const std::string own = bytesOf(tablePath);
    const auto ownLines = static_cast<int>(std::count(own.begin(), own.end(), '\n'));
    std::string table;
    const std::string name = "\xB0\xD3\xA4\x48\xAA\xBA\xB3\x66\xAA\xAB"; // 商人的貨物 in BIG5
    for (int i = 0; i < lines - ownLines; ++i)
        table += "npc_talk_" + std::to_string(i + 1) + ">" + name + "\r\n";
    std::ofstream(tablePath, std::ios::binary) << table << own;
    return folder;
}

// Runs the tool with args, stdin from in and stdout to out; its time in milliseconds.
double runCli(const std::vector<std::string>& args, const fs::path& in, const fs::path& out)
{
    std::vector<char*> argv;
    std::string program = SHOPKEEPER_CLI;
    argv.push_back(program.data());
    auto copies = args;
    for (auto& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    int status = 0;
    if (spawned == 0)
        waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("shopkeeper-cli " + args.front() + " failed");
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The workspace's first shop file by name.
std::string firstShop(const fs::path& workspace)
{
    std::string first;
    for (const auto& entry : fs::directory_iterator(workspace / "itemshop")) {
        const auto name = entry.path().filename().string();
        if (name.ends_with(".shp") && (first.empty() || name < first))
            first = name;
    }
    return first;
}

struct Times
{
    double show = 0;
    double save = 0;
};

// show, then save with the first page renamed to the n-th of two names.
Times showAndSave(const fs::path& workspace, int n)
{
    const auto shown = kTemp / "shopkeeper-bench-cli-shown.json";
    const auto edited = kTemp / "shopkeeper-bench-cli-edited.json";
    const auto saved = kTemp / "shopkeeper-bench-cli-saved.txt";
    const std::string shop = firstShop(workspace);
    Times ms;
    ms.show = runCli({"show", workspace.string(), shop}, "/dev/null", shown);
    auto json = nlohmann::json::parse(bytesOf(shown));
    json["pages"][0]["name"] = n % 2 == 0 ? "武器" : "防具";
    std::ofstream(edited, std::ios::binary) << json.dump();
    ms.save = runCli({"save", workspace.string(), shop}, edited, saved);
    return ms;
}

void ShowAndSaveWithLargeTable(benchmark::State& bench)
{
    const auto small = workspaceWithTable(16);
    const auto large = workspaceWithTable(100000);
    Times floor;
    Times total;
    int n = 0;
    for (auto _ : bench) {
        const auto a = showAndSave(small, n);
        const auto b = showAndSave(large, n);
        floor.show += a.show;
        floor.save += a.save;
        total.show += b.show;
        total.save += b.save;
        ++n;
        bench.SetIterationTime((b.show + b.save) / 1000.0);
    }
    bench.counters["floor_ms"] = (floor.show + floor.save) / static_cast<double>(bench.iterations());
    bench.counters["ratio"] = (total.show + total.save) / (floor.show + floor.save);
    bench.counters["show_ratio"] = total.show / floor.show;
    bench.counters["save_ratio"] = total.save / floor.save;
}

} // namespace

BENCHMARK(ShowAndSaveWithLargeTable)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
