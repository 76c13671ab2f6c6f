// The markup engine on the clear text of a large passwords document: LoadText beside pugixml's
// default parse of the same text, and building the text through AppendElement at two sizes, all
// measured in the same run and reported as ratios.
#include "markup/XmlTree.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace {

constexpr int kAccounts = 100000;

struct Group {
    const char* name;
    std::vector<const char*> fields;
};

// The groups and the field order in which a passwords file is written.
const std::vector<Group>& Groups() {
    static const std::vector<Group> groups = {
        {"WEB_ACCOUNTS", {"NAME", "ADDRESS", "USERID", "PASSWORD", "NOTES"}},
        {"MAIL_ACCOUNTS",
         {"NAME", "ADDRESS", "WEBINTERFACE", "USERID", "PASSWORD", "SMTPSERVER", "POPSERVER", "NOTES"}},
        {"OTHER_ACCOUNTS", {"NAME", "USERID", "PASSWORD", "NOTES"}},
    };
    return groups;
}

using Record = std::vector<std::string>;

// Field texts of account `n` of group `g`: every field filled, notes over several lines, and now
// and then a character that has to be escaped.
Record MakeRecord(size_t g, int n) {
    const std::string id = std::to_string(n);
    Record record;
    for (const char* field : Groups()[g].fields) {
        const std::string f = field;
        if (f == "NAME")
            record.push_back(n % 7 == 0 ? "Shop & Co " + id : "Acct " + id);
        else if (f == "ADDRESS" || f == "WEBINTERFACE")
            record.push_back("ex" + id + ".com");
        else if (f == "USERID")
            record.push_back("u" + id + "@mail.org");
        else if (f == "PASSWORD")
            record.push_back(n % 5 == 0 ? "p<a>s&s" + id : "Secr3t-" + id);
        else if (f == "SMTPSERVER" || f == "POPSERVER")
            record.push_back("mx" + id + ".net");
        else
            record.push_back("No " + id + "\r\ncafé\r\nok");
    }
    return record;
}

// Every account's fields, made once so that the benchmarks measure the markup engine only.
const std::vector<std::vector<Record>>& Accounts(int count) {
    static std::map<int, std::vector<std::vector<Record>>> cache;
    auto& groups = cache[count];
    if (groups.empty()) {
        groups.resize(Groups().size());
        for (int n = 0; n < count; ++n) {
            const size_t g = static_cast<size_t>(n % 10 < 4 ? 0 : n % 10 < 7 ? 1 : 2);
            groups[g].push_back(MakeRecord(g, n));
        }
    }
    return groups;
}

// Writes the accounts the way the passwords document saves itself.
std::string Build(const std::vector<std::vector<Record>>& accounts) {
    CXmlTree tree;
    tree.LoadText(nullptr);
    tree.LoadText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n");
    tree.AppendElement("DOC", nullptr);
    tree.EnterElement();
    for (size_t g = 0; g < Groups().size(); ++g) {
        tree.AppendElement(Groups()[g].name, nullptr);
        tree.EnterElement();
        for (const Record& record : accounts[g]) {
            tree.AppendElement("ACCOUNT", nullptr);
            tree.EnterElement();
            for (size_t f = 0; f < record.size(); ++f)
                tree.AppendElement(Groups()[g].fields[f], record[f].c_str());
            tree.LeaveElement();
        }
        tree.LeaveElement();
    }
    return tree.GetText();
}

const std::string& Text(int count) {
    static std::map<int, std::string> cache;
    std::string& text = cache[count];
    if (text.empty())
        text = Build(Accounts(count));
    return text;
}

void LoadText(benchmark::State& state) {
    const std::string& text = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CXmlTree tree;
        if (!tree.LoadText(text))
            state.SkipWithError("LoadText failed");
        benchmark::DoNotOptimize(tree.HasRoot());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void PugixmlParse(benchmark::State& state) {
    const std::string& text = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_buffer(text.data(), text.size()))
            state.SkipWithError("pugixml failed");
        benchmark::DoNotOptimize(document.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void AppendBuild(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto& accounts = Accounts(count);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = Build(accounts);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    if (bytes != Text(count).size())
        state.SkipWithError("built text differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Keeps each run's CPU seconds per iteration and bytes per second, by name and argument
// ("Name/arg"). CPU time (user and system, page faults included) keeps the ratios steady on a
// machine that is busy with other work.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::pair<double, double>> runs;
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            const auto it = run.counters.find("bytes_per_second");
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            runs[name] = {run.GetAdjustedCPUTime() / 1e3, // milliseconds -> seconds
                          it != run.counters.end() ? double(it->second) : 0.0};
        }
        ConsoleReporter::ReportRuns(reports);
    }
};

} // namespace

BENCHMARK(LoadText)->Arg(kAccounts)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlParse)->Arg(kAccounts)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendBuild)->Arg(kAccounts)->Arg(2 * kAccounts)->MinTime(3.0)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // glibc recycles freed blocks below its dynamic mmap threshold (at most 32 MB) between
    // iterations but hands larger ones back to the kernel, so repeated iterations would find the
    // buffers of the smaller document warm and fault in those of the larger one afresh. Every
    // large buffer comes from the kernel in every iteration instead, as it does in the one open
    // or save the program performs.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::string n = "/" + std::to_string(kAccounts), n2 = "/" + std::to_string(2 * kAccounts);
    const auto find = [&](const std::string& name) {
        const auto it = reporter.runs.find(name);
        return it != reporter.runs.end() ? it->second : std::pair<double, double>{0.0, 0.0};
    };
    const auto load = find("LoadText" + n), pugi = find("PugixmlParse" + n);
    const auto build = find("AppendBuild" + n), build2 = find("AppendBuild" + n2);
    if (load.first <= 0 || pugi.first <= 0 || build.first <= 0 || build2.first <= 0) {
        std::printf("\n(ratios need all four benchmarks in the run)\n");
        return 0;
    }
    const auto verdict = [](bool ok) { return ok ? "ok" : "MISSED"; };
    std::printf("\nText of %d accounts: %.1f MB\n", kAccounts, double(Text(kAccounts).size()) / 1e6);
    std::printf("  LoadText       %8.1f MB/s\n", load.second / 1e6);
    std::printf("  pugixml        %8.1f MB/s\n", pugi.second / 1e6);
    std::printf("  AppendBuild    %8.1f MB/s (%d accounts), %.1f MB/s (%d accounts)\n", build.second / 1e6, kAccounts,
                build2.second / 1e6, 2 * kAccounts);
    const double speed = load.second / pugi.second;
    const double growth = build2.first / build.first;
    const double buildVsParse = build.first / (2 * load.first);
    std::printf("  LoadText / pugixml throughput           %6.2f  (goal >= 1.00)  %s\n", speed, verdict(speed >= 1.0));
    std::printf("  build time %dk / %dk accounts         %6.2f  (goal <= 2.20)  %s\n", 2 * kAccounts / 1000,
                kAccounts / 1000, growth, verdict(growth <= 2.2));
    std::printf("  build time / two LoadText of the result %6.2f  (goal <  1.00)  %s\n", buildVsParse,
                verdict(buildVsParse < 1.0));
    return 0;
}
