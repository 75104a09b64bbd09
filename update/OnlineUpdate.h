#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct Services;

// One row of the updater's product table: which line of the version list belongs to a
// product, the archive holding it, and its program file inside that archive.
struct ProductRow {
    int productNumber = 0;
    int productIndex = 0;
    QString archiveName;
    QString programFileName;
};

// The product number of this program.
inline constexpr int ThisProductNumber = 5;

// The row of a product number; none for a product this updater does not serve.
// `ownProgramFileName` is this program's file name as the archive holds it.
std::optional<ProductRow> LookupProduct(int productNumber, const QString& ownProgramFileName);

// The program file name an update archive of this program holds: "Chronivo.exe" on Windows,
// the program's own file name elsewhere.
QString ProgramFileNameInArchive(const QString& programFile);

// The directory of the test server when the command line is exactly "TEST".
inline constexpr const char* TestBaseUrl = "http://localhost/files/";

// The base URL for a command line: the test server for exactly "TEST", else the normal one.
QString UpdateBaseUrl(const QString& commandLine, const QString& normalBaseUrl);

// The version texts the list offers for a product index, in the list's order: every line whose
// first "#"-field reads as that number gives its second field.
QStringList VersionOffers(const QString& versionList, int productIndex);

// Looks for a newer program version on the update server, and on the user's word downloads,
// unpacks and installs it in place of the program file, effective at the next start.
class OnlineUpdate final {
public:
    explicit OnlineUpdate(Services& services) : m_services(services) {}

    // Runs one update; true when a new program file was put in place.
    bool CheckForUpdate();
    // Ends a running update from a handler called while it waits for the server: the request
    // is aborted, nothing more is offered or installed, and nothing more is said.
    void Cancel();

    // The whole body of a URL as text; "" when nothing could be read.
    QString OpenURL(const QString& url);
    // Downloads a URL into a file; true only for a complete download, else `error` says why.
    bool DownloadFile(const QString& url, const QString& fileName, QString* error = nullptr);

private:
    // Unpacks the downloaded archive into its folder (ending with a separator) and installs
    // its program file when it is one this system can run; true when installed.
    bool install(const QString& localArchive, const QString& folder, const ProductRow& product);

    // Tells the user that the update of this offer could not be loaded and why.
    void reportNotLoaded(const QString& reason);

    Services& m_services;
    bool m_cancelled = false;
};
