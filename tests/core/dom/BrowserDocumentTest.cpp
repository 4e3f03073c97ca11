#include "dom/BrowserDocument.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const QString kPage = uR"(<!DOCTYPE html><html><head><title>T</title></head><body>
<div id="top"><A href="/one">One</A><p>text <a href="two.html" class=" Next " title="go">Two</a></p></div>
<ol class="list"><li>first<ul><LI>nested</LI></ul></li><li><a href="https://other.example/x">Three</a></li></ol>
<img src="../pics/a.gif"><a name="anchor">no link</a>
</body></html>)"_s;
const QString kPageUrl = u"https://journals.example/search/results?q=1"_s;

// `inner` inside `depth` nested elements `tag`, closed again.
QString nested(const QString& tag, int depth, const QString& inner) {
    return QString(u'<' + tag + u'>').repeated(depth) + inner + QString(u"</"_s + tag + u'>').repeated(depth);
}
// Deeper than the call stack would allow a recursive walk (it overflowed at about 87,000).
constexpr int kDeep = 200'000;

TEST(BrowserDocument, FindsElementsByTagIgnoringCaseInDocumentOrderAtAnyDepth) {
    const auto doc = BrowserDocument::parse(kPage, kPageUrl);
    struct Case {
        const char* name;
        QString tag;
        int length;
        QString firstText;
    };
    const Case cases[] = {
        {"upper-case query, mixed-case markup", u"A"_s, 4, u"One"_s},
        {"lower-case query", u"a"_s, 4, u"One"_s},
        {"list items of every depth", u"li"_s, 3, u"first\nnested"_s},
        {"absent tag", u"table"_s, 0, QString()},
        {"every element", u"*"_s, 16, QString()},
    };
    for (const Case& c : cases) {
        const DomCollection found = doc->getElementsByTagName(c.tag);
        EXPECT_EQ(found.length(), c.length) << c.name;
        if (!c.firstText.isNull()) {
            EXPECT_EQ(found.item(0).innerText(), c.firstText) << c.name;
        }
    }
    const DomCollection links = doc->getElementsByTagName(u"a"_s);
    EXPECT_EQ(links.item(1).innerText(), u"Two"_s);
    EXPECT_EQ(links.item(3).innerText(), u"no link"_s);
    EXPECT_TRUE(links.item(4).isNull());
    EXPECT_TRUE(links.item(-1).isNull());
}

TEST(BrowserDocument, ElementSearchCoversDescendantsOnly) {
    const auto doc = BrowserDocument::parse(kPage, kPageUrl);
    const DomElement list = doc->getElementsByTagName(u"ol"_s).item(0);
    EXPECT_EQ(list.getElementsByTagName(u"LI"_s).length(), 3);
    EXPECT_EQ(list.getElementsByTagName(u"a"_s).length(), 1);
    const DomElement nested = list.getElementsByTagName(u"li"_s).item(1);
    EXPECT_EQ(nested.getElementsByTagName(u"li"_s).length(), 0) << "an element is not its own descendant";
    EXPECT_EQ(doc->documentElement().tagName(), u"HTML"_s);
}

TEST(BrowserDocument, AttributesAndAddressesResolveLikeTheDom) {
    const auto doc = BrowserDocument::parse(kPage, kPageUrl);
    const DomCollection links = doc->getElementsByTagName(u"a"_s);
    // Addresses a fuzzed page brought up: an empty one and one that does not parse.
    const DomCollection odd =
        BrowserDocument::parse(
            u"<a href=\"\">self</a><a href=\"  \">blank</a><a href=\"http://[bad\">x</a>"_s, kPageUrl)
            ->getElementsByTagName(u"a"_s);
    struct Case {
        const char* name;
        QString actual;
        QString expected;
    };
    const Case cases[] = {
        {"root-relative link", links.item(0).href(), u"https://journals.example/one"_s},
        {"document-relative link", links.item(1).href(), u"https://journals.example/search/two.html"_s},
        {"absolute link kept", links.item(2).href(), u"https://other.example/x"_s},
        {"link without href", links.item(3).href(), QString()},
        {"empty href is the document itself", odd.item(0).href(), kPageUrl},
        {"blank href is the document itself", odd.item(1).href(), kPageUrl},
        {"unparsable href kept as written", odd.item(2).href(), u"http://[bad"_s},
        {"image source", doc->getElementsByTagName(u"img"_s).item(0).src(),
         u"https://journals.example/pics/a.gif"_s},
        {"class text kept as written", links.item(1).className(), u" Next "_s},
        {"title attribute", links.item(1).title(), u"go"_s},
        {"missing attribute", links.item(0).title(), QString()},
        {"tag name upper case", links.item(0).tagName(), u"A"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(BrowserDocument, BaseElementChangesResolution) {
    const auto doc = BrowserDocument::parse(
        u"<head><base href=\"https://cdn.example/root/\"></head><a href=\"x/y\">l</a>"_s,
        u"https://a.example/p"_s);
    EXPECT_EQ(doc->getElementsByTagName(u"a"_s).item(0).href(), u"https://cdn.example/root/x/y"_s);
}

TEST(BrowserDocument, InnerTextCollapsesWhitespaceLikeRenderedText) {
    struct Case {
        const char* name;
        QString html;
        QString expected;
    };
    const Case cases[] = {
        {"blanks and line breaks collapse", u"<a>  Soil \n\t moisture   </a>"_s, u"Soil moisture"_s},
        {"inline elements join", u"<a><b>Urban</b> <i>heat</i>islands</a>"_s, u"Urban heatislands"_s},
        {"entities decoded", u"<a>A &amp; B &lt;C&gt;</a>"_s, u"A & B <C>"_s},
        {"line break element", u"<a>one<br>two</a>"_s, u"one\ntwo"_s},
        {"block children on their own lines", u"<a><div>one</div><div>two</div></a>"_s, u"one\ntwo"_s},
        {"scripts and styles are not text", u"<a>x<script>var s = 1;</script><style>p{}</style>y</a>"_s,
         u"xy"_s},
        {"no-break space kept", u"<a>a&nbsp;b</a>"_s, u"a\u00A0b"_s},
        {"empty element", u"<a></a>"_s, QString()},
        {"text nested 200,000 deep", u"<a>"_s + nested(u"span"_s, kDeep, u" deep "_s) + u"</a>"_s, u"deep"_s},
        {"block 200,000 deep", u"<a>x"_s + nested(u"span"_s, kDeep, u"<div>y</div>z"_s) + u"</a>"_s,
         u"x\ny\nz"_s},
    };
    for (const Case& c : cases) {
        const auto doc = BrowserDocument::parse(c.html, u"about:blank"_s);
        EXPECT_EQ(doc->getElementsByTagName(u"a"_s).item(0).innerText(), c.expected) << c.name;
    }
}

TEST(BrowserDocument, SerialisesMarkupFromTheParsedTree) {
    struct Case {
        const char* name;
        QString html;
        QString outer;
        QString inner;
    };
    const Case cases[] = {
        {"attributes and void image", u"<li class=\"x\">a <img src=\"/i.png\"></li>"_s,
         u"<li class=\"x\">a <img src=\"/i.png\"></li>"_s, u"a <img src=\"/i.png\">"_s},
        {"text escaped", u"<li>1 &lt; 2 &amp; 3</li>"_s, u"<li>1 &lt; 2 &amp; 3</li>"_s,
         u"1 &lt; 2 &amp; 3"_s},
        {"quote in attribute escaped", u"<li title='say \"hi\"'>x</li>"_s,
         u"<li title=\"say &quot;hi&quot;\">x</li>"_s, u"x"_s},
        {"tag names lower case", u"<LI><SPAN>x</SPAN></LI>"_s, u"<li><span>x</span></li>"_s,
         u"<span>x</span>"_s},
        {"comment kept", u"<li><!-- c -->x</li>"_s, u"<li><!-- c -->x</li>"_s, u"<!-- c -->x"_s},
        {"script text raw", u"<li><script>a<b</script></li>"_s, u"<li><script>a<b</script></li>"_s,
         u"<script>a<b</script>"_s},
        {"nested 200,000 deep", u"<li>"_s + nested(u"span"_s, kDeep, u"x"_s) + u"</li>"_s,
         u"<li>"_s + nested(u"span"_s, kDeep, u"x"_s) + u"</li>"_s, nested(u"span"_s, kDeep, u"x"_s)},
    };
    for (const Case& c : cases) {
        const auto doc = BrowserDocument::parse(u"<ul>"_s + c.html + u"</ul>"_s, u"about:blank"_s);
        const DomElement li = doc->getElementsByTagName(u"li"_s).item(0);
        EXPECT_EQ(li.outerHTML(), c.outer) << c.name;
        EXPECT_EQ(li.innerHTML(), c.inner) << c.name;
    }
}

TEST(BrowserDocument, ClickIsRoutedByTagAndDocumentIndex) {
    QStringList routed;
    const auto doc = BrowserDocument::parse(kPage, kPageUrl, [&](const QString& tag, int index) {
        routed << tag + u':' + QString::number(index);
    });
    doc->getElementsByTagName(u"A"_s).item(1).click();
    doc->getElementsByTagName(u"ol"_s).item(0).getElementsByTagName(u"a"_s).item(0).click();
    doc->getElementsByTagName(u"li"_s).item(1).click();
    DomElement().click();
    EXPECT_EQ(routed, (QStringList{u"a:1"_s, u"a:2"_s, u"li:1"_s}));
}

TEST(BrowserDocument, NoscriptAndTemplateContentIsNotCountedLikeOnTheLivePage) {
    QStringList routed;
    const auto doc = BrowserDocument::parse(
        u"<p><noscript><a href='/js-off'>x</a></noscript><template><a href='/t'>t</a><li>z</li></template>"
        "<ul><li><a class='nextpage' href='/p2'>next</a></li></ul></p>"_s,
        kPageUrl, [&](const QString& tag, int index) { routed << tag + u':' + QString::number(index); });
    const DomCollection links = doc->getElementsByTagName(u"a"_s);
    ASSERT_EQ(links.length(), 1);
    EXPECT_EQ(links.item(0).getAttribute(u"class"_s), u"nextpage"_s);
    links.item(0).click();
    doc->getElementsByTagName(u"li"_s).item(0).click();
    EXPECT_EQ(routed, (QStringList{u"a:0"_s, u"li:0"_s}));
    EXPECT_EQ(doc->getElementsByTagName(u"noscript"_s).length(), 1) << "the elements themselves count";
    EXPECT_EQ(doc->getElementsByTagName(u"template"_s).length(), 1);
}

TEST(BrowserDocument, ValuesAreWrittenThroughTheRouteByTagAndDocumentIndex) {
    QStringList routed;
    const auto doc =
        BrowserDocument::parse(u"<form><input name=a><p><input name=b></p></form><input id=c>"_s, kPageUrl,
                               {}, [&](const QString& tag, int index, const QString& value) {
                                   routed << tag + u':' + QString::number(index) + u'=' + value;
                               });
    const DomCollection inputs = doc->getElementsByTagName(u"INPUT"_s);
    inputs.item(1).setValue(u"x"_s);
    inputs.item(2).setValue(QString());
    DomElement().setValue(u"nobody"_s);
    EXPECT_EQ(routed, (QStringList{u"input:1=x"_s, u"input:2="_s}));
    EXPECT_TRUE(inputs.item(0).getAttribute(u"value"_s).isEmpty()) << "the snapshot itself stays as it was";
    BrowserDocument::parse(kPage, kPageUrl)->getElementsByTagName(u"a"_s).item(0).setValue(u"no route"_s);
}

TEST(BrowserDocument, GetElementByIdFindsTheFirstExactMatch) {
    const auto doc = BrowserDocument::parse(
        uR"(<p id="Submitip">case differs</p><div><input id="submitip" value="1"></div><b id="submitip">2</b>)"_s,
        kPageUrl);
    struct Case {
        const char* name;
        QString id;
        QString tag; // empty: not found
    };
    const Case cases[] = {
        {"first of two exact matches, nested", u"submitip"_s, u"INPUT"_s},
        {"ids compare with letter case", u"Submitip"_s, u"P"_s},
        {"absent id", u"submit"_s, {}},
        {"empty id", u""_s, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(doc->getElementById(c.id).tagName(), c.tag) << c.name;
}

TEST(BrowserDocument, ElementsKeepTheirSnapshotAlive) {
    DomElement kept;
    {
        const auto doc = BrowserDocument::parse(kPage, kPageUrl);
        kept = doc->getElementsByTagName(u"a"_s).item(2);
    }
    EXPECT_EQ(kept.innerText(), u"Three"_s);
}

TEST(BrowserDocument, EmptyInputStillHasADocumentElement) {
    const auto doc = BrowserDocument::parse(QString(), u"about:blank"_s);
    EXPECT_EQ(doc->documentElement().tagName(), u"HTML"_s);
    EXPECT_EQ(doc->getElementsByTagName(u"ol"_s).length(), 0);
    EXPECT_EQ(doc->URL(), u"about:blank"_s);
}

} // namespace
