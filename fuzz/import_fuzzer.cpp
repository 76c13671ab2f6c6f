// The importer on arbitrary bytes, in the format the first byte picks. A refusal appends nothing
// and names a line of the text (or none); an accepted text written out as our CSV reads back to
// the same CSV, byte for byte.
#include "passwords/AccountCsv.h"
#include "passwords/AccountImport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const ImportFormat formats[] = {ImportFormat::Detect, ImportFormat::Json, ImportFormat::KeePassXC,
                                    ImportFormat::Bitwarden, ImportFormat::Csv};
    const ImportFormat format = formats[data[0] % 5];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    AccountLists lists;
    ImportProblem problem;
    if (!ImportAccounts(text, format, lists, problem)) {
        Check(lists.m_aWebAccounts.Size() == 0 && lists.m_aMailAccounts.Size() == 0 &&
              lists.m_aOtherAccounts.Size() == 0);
        const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
        Check(problem.nLine >= 0 && problem.nLine <= lines);
        Check(!problem.strReason.empty());
        return 0;
    }
    platform::SecureString csv;
    BuildAccountsCsv(lists, csv);
    AccountLists again;
    Check(ImportAccounts(csv.view(), ImportFormat::Detect, again, problem));
    platform::SecureString csvAgain;
    BuildAccountsCsv(again, csvAgain);
    Check(csv == csvAgain);
    return 0;
}
