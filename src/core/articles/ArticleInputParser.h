#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QUrl;

namespace mojing {

// One thing the user asked to add: a DOI, the address of a web page (an article page, or a file
// whose type only the server's answer tells), or the address of a file.
struct ArticleInput {
    enum class Kind { Doi, PageAddress, FileAddress };

    Kind kind = Kind::PageAddress;
    QString text; // the line or argument as given, trimmed
    QString doi;  // a DOI: "10.NNNN/suffix", letter case as written
    QString url;  // an address: as given

    // Inputs that name the same thing have the same identity: a DOI in any form and letter
    // case, or the same address.
    QString identity() const;
    bool operator==(const ArticleInput&) const = default;
};

// What a block of pasted text or a list of arguments holds.
struct ParsedInputs {
    std::vector<ArticleInput> inputs; // in order, each identity once
    QStringList unrecognised;         // lines that are neither an address nor a DOI, trimmed
    int duplicates = 0;               // inputs dropped as already listed
};

// Recognises addresses and DOIs in what users paste or type: http(s) addresses, and DOIs as
// "10.NNNN/suffix", "doi:10...", "https://doi.org/10..." or "http://dx.doi.org/10...". A line
// that is neither but holds a DOI among other words (a line of a reference list) gives that DOI.
class ArticleInputParser {
public:
    // One line or argument; empty for blank lines, '#' comments and text that is neither.
    static std::optional<ArticleInput> parse(const QString& text);
    // Every line of `text`.
    static ParsedInputs parseLines(const QString& text);
    // Every item of `items` (one input each).
    static ParsedInputs parseAll(const QStringList& items);

    // The DOI that `text` is (in one of the forms above), or empty.
    static QString doiOf(const QString& text);
    // The DOI an address carries: a resolver's address, or a publisher's page or PDF address with
    // the DOI after "/doi/" ("/doi/10.1177/...", "/doi/pdf/10.1177/...", "/doi/full/..."); else
    // empty. Result pages give no metadata, but their PDF addresses often give this much.
    static QString doiInAddress(const QString& address);
    // The address at which the resolver answers for `doi`: the base with a separating '/' when
    // it ends in neither '/' nor '=', then the DOI with every character outside the unreserved
    // ones and '/' percent-encoded (suffixes may hold "()<>;:#?%" and spaces).
    static QString doiAddress(const QString& resolverBase, const QString& doi);
    // A usable resolver base: an absolute http or https address.
    static bool isResolverBase(const QString& base);
    // The address names a file by its extension (".pdf", ".zip", ...), so no answer needs to be
    // read to know what it is; web-page extensions and addresses without one name pages.
    static bool namesFile(const QUrl& url);
    // An absolute http or https address with a host, as the download list takes them.
    static bool isWebAddress(const QString& text);
};

} // namespace mojing
