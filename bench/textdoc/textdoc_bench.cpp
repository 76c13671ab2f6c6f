// A 16 MiB text in the editor: opening (read, decipher, show in the view) and saving (take the text,
// encipher, write), each beside raw DES-CBC over the same number of bytes measured in the same run,
// and the time one keystroke takes in that document: in the middle of the text, and at its end with
// the line-number margin shown, lines unwrapped and wrapped at the window's edge. Goals: open within
// 2x and save within 1.2x the raw cipher's time; a keystroke under 16 ms (one frame).
#define OPENSSL_SUPPRESS_DEPRECATED
#include "cipher/DocumentFile.h"
#include "res/Resources.h"
#include "textdoc/EditorView.h"
#include "textdoc/LineNumberArea.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTextBlock>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <openssl/des.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kPassword = "correct horse battery staple";
constexpr size_t kTextBytes = size_t{16} << 20;

// Notes as people keep them: short lines, CRLF, a few accented letters.
const std::string& Text() {
    static std::string text;
    if (text.empty()) {
        const std::string line = "Account number 12345678, PIN 0000 - café über naïve\r\n";
        text.reserve(kTextBytes);
        while (text.size() + line.size() <= kTextBytes)
            text += line;
        text.append(kTextBytes - text.size(), 'x');
    }
    return text;
}

// The bytes the cipher works on: the text's UTF-16 code units, padded to whole blocks.
size_t CipherBytes() {
    static const size_t bytes = [] {
        const size_t units = static_cast<size_t>(QString::fromUtf8(Text().data(), qsizetype(Text().size())).size());
        return (units * 2 / 8 + 1) * 8;
    }();
    return bytes;
}

std::string BenchFile(const char* what) {
    const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/var/tmp";
    return folder + "/lockwarden-textdoc-" + what + "-" + std::to_string(::getpid()) + ".etx";
}

CEditorView& View() {
    static CEditorView* view = [] {
        auto* v = new CEditorView;
        v->OnInitialUpdate();
        v->resize(1000, 700);
        v->show();
        return v;
    }();
    return *view;
}

void RawDesCbc(benchmark::State& state, int direction) {
    const size_t bytes = CipherBytes();
    std::vector<uint8_t> in(bytes, 'a'), out(bytes);
    DES_cblock key = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    DES_key_schedule ks;
    DES_set_key_checked(&key, &ks);
    for (auto _ : state) {
        DES_cblock iv = {0};
        DES_cbc_encrypt(in.data(), out.data(), static_cast<long>(bytes), &ks, &iv, direction);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
void RawDesCbcEncrypt(benchmark::State& state) {
    RawDesCbc(state, DES_ENCRYPT);
}
void RawDesCbcDecrypt(benchmark::State& state) {
    RawDesCbc(state, DES_DECRYPT);
}

void TextOpen(benchmark::State& state) {
    const std::string path = BenchFile("open");
    cipher::WriteDocumentFile(path, kPassword, Text());
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        if (!View().ReadDocumentFile(file, kPassword).ok())
            state.SkipWithError("open failed");
        // Shown: the first page laid out and painted.
        View().viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        View().SetText(QString());
        QApplication::processEvents();
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CipherBytes()));
}

void TextSave(benchmark::State& state) {
    const std::string path = BenchFile("save");
    const QString file = QString::fromStdString(path);
    View().SetText(QString::fromUtf8(Text().data(), qsizetype(Text().size())));
    for (auto _ : state) {
        if (!View().WriteDocumentFile(file, kPassword).ok())
            state.SkipWithError("save failed");
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CipherBytes()));
}

// One typed character: key down, key up, and the repaint it causes (of the margin too, when given).
void TypeOneKey(CEditorView& view, QWidget* margin = nullptr) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&view, &press);
    QApplication::sendEvent(&view, &release);
    view.viewport()->repaint();
    if (margin)
        margin->repaint();
    QApplication::processEvents();
}

// One typed character in the middle of the 16 MiB text.
void Keystroke(benchmark::State& state) {
    CEditorView& view = View();
    view.SetText(QString::fromUtf8(Text().data(), qsizetype(Text().size())));
    QTextCursor cursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2));
    view.setTextCursor(cursor);
    view.centerCursor();
    QApplication::processEvents();
    for (auto _ : state)
        TypeOneKey(view);
}

// One typed character at the end of the 16 MiB text with the lines numbered, the text unwrapped or
// wrapped at the window's edge as View > Word Wrap has it: key down, key up, the repaint of the text
// and of the margin.
void KeystrokeAtEnd(benchmark::State& state, bool bWrap) {
    CEditorView& view = View();
    auto* margin = view.findChild<CLineNumberArea*>();
    if (!margin) {
        state.SkipWithError("no line-number margin");
        return;
    }
    view.setLineWrapMode(bWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    view.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    margin->SetShown(true);
    view.SetText(QString::fromUtf8(Text().data(), qsizetype(Text().size())));
    view.moveCursor(QTextCursor::End);
    view.ensureCursorVisible();
    QApplication::processEvents();
    for (auto _ : state)
        TypeOneKey(view, margin);
    margin->SetShown(false);
    view.setLineWrapMode(QPlainTextEdit::NoWrap);
}
void KeystrokeNumbers(benchmark::State& state) {
    KeystrokeAtEnd(state, false);
}
void KeystrokeNumbersWrapped(benchmark::State& state) {
    KeystrokeAtEnd(state, true);
}

// Wall times (seconds per iteration) of every repetition, by benchmark name without the
// "/real_time" suffix. Wall time, since an open or save works on other threads too.
class TimingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::vector<double>> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0)
                continue;
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find('/'));
            seconds[name].push_back(run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Median(const std::string& name) const {
        const auto it = seconds.find(name);
        if (it == seconds.end() || it->second.empty())
            return 0.0;
        std::vector<double> sorted = it->second;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

} // namespace

// Each three times, the median counting: the machine may be shared.
BENCHMARK(RawDesCbcDecrypt)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(TextOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(RawDesCbcEncrypt)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(TextSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(KeystrokeNumbers)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(KeystrokeNumbersWrapped)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterResources();
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto time = [&](const char* name) { return reporter.Median(name); };
    std::printf("\n16 MiB text, %zu bytes through the cipher; median wall times as a multiple of raw DES-CBC, "
                "same run:\n",
                CipherBytes());
    const auto ratio = [&](const char* measured, const char* baseline, double goal) {
        if (time(measured) <= 0 || time(baseline) <= 0)
            return;
        const double r = time(measured) / time(baseline);
        std::printf("  %-10s / %-16s %6.3f  (goal <= %.1f) %s\n", measured, baseline, r, goal,
                    r <= goal ? "ok" : "over goal");
    };
    ratio("TextOpen", "RawDesCbcDecrypt", 2.0);
    ratio("TextSave", "RawDesCbcEncrypt", 1.2);
    // A keystroke against one frame: the time, and its share of the 16 ms.
    const auto frame = [&](const char* name, const char* what) {
        if (time(name) <= 0)
            return;
        std::printf("  %-23s %6.3f ms = %5.1f%% of 16 ms  (%s; goal < 16 ms) %s\n", name, time(name) * 1000,
                    time(name) / 0.016 * 100, what, time(name) < 0.016 ? "ok" : "over goal");
    };
    frame("Keystroke", "middle of the text");
    frame("KeystrokeNumbers", "end, line numbers, no wrap");
    frame("KeystrokeNumbersWrapped", "end, line numbers, word wrap");
    return 0;
}
