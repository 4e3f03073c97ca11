#include "articles/ArticleInputParser.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

using Kind = ArticleInput::Kind;

// A DOI from the old days, with every character that must be encoded in an address.
const QString kSiciDoi = u"10.1002/(SICI)1097-4636(199706)35:4<467::AID-JBM7>3.0.CO;2-B"_s;

TEST(ArticleInputParser, RecognisesDoisAndAddressesInTheirUsualForms) {
    struct Case {
        const char* name;
        QString text;
        std::optional<Kind> kind; // empty: not an input
        QString value;            // the DOI or the address
    };
    const Case cases[] = {
        {"bare DOI", u"10.1177/0044118X15598528"_s, Kind::Doi, u"10.1177/0044118X15598528"_s},
        {"doi: in any case, blank after it", u"  DOI: 10.1000/xyz "_s, Kind::Doi, u"10.1000/xyz"_s},
        {"resolver address", u"https://doi.org/10.1000/xyz"_s, Kind::Doi, u"10.1000/xyz"_s},
        {"old resolver host", u"http://dx.doi.org/10.1000/xyz"_s, Kind::Doi, u"10.1000/xyz"_s},
        {"encoded resolver address decodes",
         u"https://doi.org/10.1002/%28SICI%291097-4636%28199706%2935%3A4%3C467%3A%3AAID-JBM7%3E3.0.CO%3B2-B"_s,
         Kind::Doi, kSiciDoi},
        {"suffix with ()<>;:", kSiciDoi, Kind::Doi, kSiciDoi},
        {"subdivided registrant", u"10.1000.10/abc"_s, Kind::Doi, u"10.1000.10/abc"_s},
        {"info URI of Dublin Core", u"info:doi/10.1000/dc"_s, Kind::Doi, u"10.1000/dc"_s},
        {"a sentence's full stop is not the DOI's", u"10.1000/xyz."_s, Kind::Doi, u"10.1000/xyz"_s},
        {"line of a reference list",
         u"Smith J, Wei Z. Soil moisture. J Soils. 2019;3(4):1-9. doi:10.1000/js.2019.4."_s, Kind::Doi,
         u"10.1000/js.2019.4"_s},
        {"bracket the DOI did not open", u"(see 10.1000/abc(1)2)."_s, Kind::Doi, u"10.1000/abc(1)2"_s},
        {"file address", u"http://h/papers/a.PDF"_s, Kind::FileAddress, u"http://h/papers/a.PDF"_s},
        {"article page holding a DOI in its path", u"https://pub.example/doi/full/10.1177/001"_s,
         Kind::PageAddress, u"https://pub.example/doi/full/10.1177/001"_s},
        {"web-page extension", u"http://h/article.html?id=3"_s, Kind::PageAddress,
         u"http://h/article.html?id=3"_s},
        {"digits after a dot are no extension", u"http://h/doi/10.5555/demo.12"_s, Kind::PageAddress,
         u"http://h/doi/10.5555/demo.12"_s},
        {"comment", u"# 10.1000/xyz"_s, std::nullopt, {}},
        {"blank", u"   "_s, std::nullopt, {}},
        {"other scheme", u"ftp://h/a.pdf"_s, std::nullopt, {}},
        {"registrant too short", u"10.12/abc"_s, std::nullopt, {}},
        {"no suffix", u"10.1000/"_s, std::nullopt, {}},
        {"plain words", u"References"_s, std::nullopt, {}},
        {"a noncharacter in the suffix", u"10.1177/0044118X155\U0007FFFF98528"_s, std::nullopt, {}},
        {"U+FFFE in the suffix", u"10.1000/x\uFFFEy"_s, std::nullopt, {}},
        {"replacement characters of a bad decode stay (they round-trip)", u"10.1000/x\uFFFDy"_s, Kind::Doi,
         u"10.1000/x\uFFFDy"_s},
    };
    for (const Case& c : cases) {
        const std::optional<ArticleInput> input = ArticleInputParser::parse(c.text);
        ASSERT_EQ(input.has_value(), c.kind.has_value()) << c.name;
        if (!input)
            continue;
        EXPECT_EQ(input->kind, *c.kind) << c.name;
        EXPECT_EQ(input->kind == Kind::Doi ? input->doi : input->url, c.value) << c.name;
        EXPECT_EQ(input->text, c.text.trimmed()) << c.name;
    }
}

TEST(ArticleInputParser, DoiInAddressIsWhatPublisherAddressesCarry) {
    const std::pair<const char*, std::pair<QString, QString>> cases[] = {
        {"PDF address with a query",
         {u"https://pub.example/doi/pdf/10.1177/0044118X15598528?download=true"_s,
          u"10.1177/0044118X15598528"_s}},
        {"page address without a view word", {u"http://pub.example/doi/10.1000/xyz"_s, u"10.1000/xyz"_s}},
        {"encoded suffix decodes",
         {u"https://pub.example/doi/epdf/10.1002/%28SICI%291097-4636%28199706%2935%3A4%3C467%3A%3AAID-JBM7%3E3.0.CO%3B2-B"_s,
          kSiciDoi}},
        {"resolver address", {u"https://doi.org/10.1000/xyz"_s, u"10.1000/xyz"_s}},
        {"a DOI-like path not under /doi/", {u"https://h/papers/10.1000/xyz.pdf"_s, {}}},
        {"\"doi\" inside another segment", {u"https://h/nodoi/10.1000/xyz"_s, {}}},
        {"two words before the DOI", {u"https://h/doi/pdf/full/10.1000/xyz"_s, {}}},
        {"no DOI after /doi/", {u"https://h/doi/pdf/12345"_s, {}}},
        {"other scheme", {u"ftp://h/doi/10.1000/xyz"_s, {}}},
        {"not an address", {u"Harvested title"_s, {}}},
    };
    for (const auto& [name, c] : cases)
        EXPECT_EQ(ArticleInputParser::doiInAddress(c.first), c.second) << name;
}

TEST(ArticleInputParser, PastedTextGivesEachInputOnce) {
    const ParsedInputs parsed = ArticleInputParser::parseLines(u"10.1000/ABC\r\n"
                                                               "https://doi.org/10.1000/abc\n"
                                                               "doi:10.1000/Abc\n"
                                                               "\n"
                                                               "# my list\n"
                                                               "http://h/a.pdf\r"
                                                               "http://h/a.pdf\n"
                                                               "http://h/A.pdf\n"
                                                               "no address here\n"_s);
    ASSERT_EQ(parsed.inputs.size(), 3u);
    EXPECT_EQ(parsed.inputs[0].doi, u"10.1000/ABC"_s) << "the first form given stays";
    EXPECT_EQ(parsed.inputs[1].url, u"http://h/a.pdf"_s);
    EXPECT_EQ(parsed.inputs[2].url, u"http://h/A.pdf"_s) << "addresses are case-sensitive";
    EXPECT_EQ(parsed.duplicates, 3);
    EXPECT_EQ(parsed.unrecognised, QStringList{u"no address here"_s});
}

TEST(ArticleInputParser, DoiAddressesEncodeWhatWouldBreakThem) {
    struct Case {
        const char* name;
        QString base;
        QString doi;
        QString address;
    };
    const Case cases[] = {
        {"plain", u"https://doi.org/"_s, u"10.1000/xyz"_s, u"https://doi.org/10.1000/xyz"_s},
        {"base without a slash", u"https://r.example/doi"_s, u"10.1000/xyz"_s,
         u"https://r.example/doi/10.1000/xyz"_s},
        {"query-style base", u"https://r.example/find?id="_s, u"10.1000/xyz"_s,
         u"https://r.example/find?id=10.1000/xyz"_s},
        {"reserved and unsafe characters", u"https://doi.org/"_s, kSiciDoi,
         u"https://doi.org/10.1002/%28SICI%291097-4636%28199706%2935%3A4%3C467%3A%3AAID-JBM7%3E3.0.CO%3B2-B"_s},
        {"'#', '?', '%' and non-ASCII", u"https://doi.org/"_s, u"10.1000/a#b?c%d-é"_s,
         u"https://doi.org/10.1000/a%23b%3Fc%25d-%C3%A9"_s},
    };
    for (const Case& c : cases) {
        const QString address = ArticleInputParser::doiAddress(c.base, c.doi);
        EXPECT_EQ(address, c.address) << c.name;
        // The resolver's address of a DOI reads back as that DOI.
        if (c.base == u"https://doi.org/"_s)
            EXPECT_EQ(ArticleInputParser::doiOf(address), c.doi) << c.name;
    }
}

} // namespace
