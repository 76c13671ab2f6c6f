// lockwarden-cli: the editor's enciphered documents from the command line.
#include "cli/FileCommands.h"
#include "cli/InfoCommand.h"
#include "cli/PasswordsCommands.h"
#include "cli/Terminal.h"

#include <CLI/CLI.hpp>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

// Deciphered text must never reach a core file.
void DisableCoreDumps() {
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
}

} // namespace

int main(int argc, char** argv) {
    DisableCoreDumps();

    CLI::App app{"lockwarden-cli: read and write Lockwarden Editor documents (.etx, .kvd) without a window.\n"
                 "Passwords are never taken from the command line: they are asked for on the terminal,\n"
                 "or read one per line from standard input when it is not a terminal.\n"
                 "Exit status: 0 success, 1 wrong password or damaged file, 2 usage error,\n"
                 "3 a file cannot be read or written.",
                 "lockwarden-cli"};
    app.set_version_flag("--version", std::string("lockwarden-cli ") + LW_VERSION);
    app.require_subcommand(1);

    std::string file, input, output;
    bool force = false;
    bool strong = false, compatible = false;
    const char* const strongHelp = "Write the strong format (Argon2id, XChaCha20-Poly1305): opens only in this "
                                   "version and later";

    auto* decrypt = app.add_subcommand("decrypt", "Print the clear text of a document to standard output (UTF-8).");
    decrypt->add_option("FILE", file, "An .etx or .kvd file")->required();

    auto* encrypt = app.add_subcommand("encrypt", "Encipher the UTF-8 text of INPUT into the document file OUTPUT.");
    encrypt->add_option("INPUT", input, "A UTF-8 text file")->required();
    encrypt->add_option("OUTPUT", output, "The document file to write")->required();
    encrypt->add_flag("--force", force, "Replace OUTPUT if it exists");
    encrypt->add_flag("--strong", strong, strongHelp);

    auto* passwd = app.add_subcommand("passwd", "Encipher a document again under a new password.");
    passwd->add_option("FILE", file, "An .etx or .kvd file")->required();
    auto* passwdStrong = passwd->add_flag("--strong", strong, std::string(strongHelp) + " (default: keep the file's)");
    passwd
        ->add_flag("--compatible", compatible,
                   "Write the compatible format: opens in older versions and on Windows (default: keep the file's)")
        ->excludes(passwdStrong);

    auto* info = app.add_subcommand("info", "Print the format of a document and its key-derivation figures.");
    info->add_option("FILE", file, "An .etx or .kvd file")->required();

    std::string kind;
    int slot = 0;
    bool showPassword = false;

    auto* ls = app.add_subcommand("ls", "List the accounts of a passwords file: kind, slot, name.");
    ls->add_option("FILE", file, "A .kvd file")->required();

    auto* show = app.add_subcommand("show", "Show every field of one account of a passwords file.");
    show->add_option("FILE", file, "A .kvd file")->required();
    show->add_option("KIND", kind, "web, mail or other")->required();
    show->add_option("SLOT", slot, "The account's slot, as ls shows it")->required();
    show->add_flag("--show-password", showPassword, "Print the password too");

    auto* totp = app.add_subcommand("totp", "Print the one-time code (TOTP) of an account whose notes hold its "
                                            "secret: an otpauth://totp/ address, or a line \"TOTP: \" and the "
                                            "address or base32 secret. Exit status 1 when there is none, or it "
                                            "cannot be used.");
    totp->add_option("FILE", file, "A .kvd file")->required();
    totp->add_option("KIND", kind, "web, mail or other")->required();
    totp->add_option("SLOT", slot, "The account's slot, as ls shows it")->required();

    auto* analyze = app.add_subcommand("analyze", "List the accounts whose password is empty, weak or shared with "
                                                  "another account: KIND, SLOT, NAME (escaped as ls escapes it), "
                                                  "REASON (empty, weak or reused) and, for reused, the number of "
                                                  "the group of accounts that share the password; tab-separated.");
    analyze->add_option("FILE", file, "A .kvd file")->required();

    bool csv = false, spreadsheetSafe = false;
    auto* exportCmd = app.add_subcommand("export", "Print the accounts of a passwords file as JSON, or as CSV with "
                                                   "--csv. The output is CLEAR TEXT, every password readable: "
                                                   "keep it off shared disks and delete it when done.");
    exportCmd->add_option("FILE", file, "A .kvd file")->required();
    auto* csvFlag = exportCmd->add_flag("--csv", csv,
                                        "Print CSV (RFC 4180, UTF-8): kind,NAME,ADDRESS,WEBINTERFACE,USERID,PASSWORD,"
                                        "SMTPSERVER,POPSERVER,NOTES. Every cell exactly as it is: use this to move "
                                        "the accounts to another password manager");
    exportCmd
        ->add_flag("--spreadsheet-safe", spreadsheetSafe,
                   "With --csv, for opening in a spreadsheet: a cell that starts with =, +, -, @, a tab or a CR "
                   "(or with quotes before one of these) gets one ' in front, so that it is not run as a formula. "
                   "import --spreadsheet-safe takes it off again; other programs keep it")
        ->needs(csvFlag);

    std::string importFormat;
    auto* importCmd = app.add_subcommand("import", "Make a passwords file from the JSON or CSV that export writes, "
                                                   "or from a CSV export of KeePassXC or Bitwarden.");
    importCmd->add_option("INPUT", input, "A JSON or CSV file (UTF-8)")->required();
    importCmd->add_option("OUTPUT", output, "The .kvd file to write")->required();
    importCmd->add_flag("--force", force, "Replace OUTPUT if it exists");
    importCmd->add_flag("--strong", strong, strongHelp);
    importCmd
        ->add_option("--format", importFormat,
                     "The format of INPUT (default: JSON when it starts with { or [, otherwise the CSV its header "
                     "line names)")
        ->check(CLI::IsMember({"json", "keepassxc", "bitwarden", "csv"}));
    importCmd->add_flag("--spreadsheet-safe", spreadsheetSafe,
                        "INPUT was written by export --csv --spreadsheet-safe (or kept that way in a spreadsheet): "
                        "take off the one ' it put before cells starting with =, +, -, @, a tab or a CR");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here too, successfully.
        if (e.get_exit_code() == 0)
            return app.exit(e) == 0 ? cli::kExitOk : cli::kExitUsage;
        // Say which command the mistake is in, and where to read how it is used.
        std::string command;
        for (const CLI::App* sub : app.get_subcommands())
            command = sub->get_name();
        const std::string help = "lockwarden-cli " + (command.empty() ? std::string() : command + " ") + "--help";
        cli::PrintError((command.empty() ? std::string() : command + ": ") + e.what() + " (see \"" + help + "\").");
        return cli::kExitUsage;
    }

    const cipher::DocFormat format = strong ? cipher::DocFormat::Strong : cipher::DocFormat::Compatible;
    if (decrypt->parsed())
        return cli::Decrypt(file);
    if (encrypt->parsed())
        return cli::Encrypt(input, output, force, format);
    if (passwd->parsed())
        return cli::ChangePassword(file, strong || compatible ? std::optional(format) : std::nullopt);
    if (ls->parsed())
        return cli::ListAccounts(file);
    if (show->parsed())
        return cli::ShowAccount(file, kind, slot, showPassword);
    if (totp->parsed())
        return cli::PrintOneTimeCode(file, kind, slot);
    if (analyze->parsed())
        return cli::AnalyzeAccounts(file);
    if (exportCmd->parsed())
        return cli::ExportAccounts(file, csv, spreadsheetSafe);
    if (importCmd->parsed()) {
        ImportFormat inputFormat = ImportFormat::Detect;
        if (!importFormat.empty())
            ImportFormatFromName(importFormat, inputFormat);
        return cli::ImportAccounts(input, output, force, format, inputFormat, spreadsheetSafe);
    }
    if (info->parsed())
        return cli::ShowInfo(file);
    return cli::kExitUsage;
}
