#include "common/TestRegistry.h"
#include "markup/XmlTree.h"

#include <QTest>

using Span = CXmlTree::ElementSpan;

namespace {

// The cursor as one comparable value: parent, current, child, at-element.
std::tuple<int, int, int, bool> Cursor(const CXmlTree& tree) {
    return {tree.GetParentPos(), tree.GetPos(), tree.GetChildPos(), tree.IsAtElement()};
}

} // namespace

class XmlParserTest : public QObject {
    Q_OBJECT

private slots:
    void parseErrors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("declaration only")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n") << "Element tag not found";
        QTest::newRow("no markup") << QByteArray("just text") << "Element tag not found";
        QTest::newRow("end tag first") << QByteArray("</A>") << "Element tag not found";
        QTest::newRow("unclosed element") << QByteArray("<A>text") << "Element tag not found";
        QTest::newRow("lone <") << QByteArray("<") << "Abrupt end within tag";
        QTest::newRow("< then blanks") << QByteArray("<A>x< \r\n") << "Abrupt end within tag";
        QTest::newRow("quoted name") << QByteArray("<'A'>") << "Tag starts with quote";
        QTest::newRow("open instruction") << QByteArray("<?xml version='1.0'") << "Invalid node";
        QTest::newRow("open comment") << QByteArray("<A><!-- never closed </A>") << "Invalid node";
        QTest::newRow("open cdata") << QByteArray("<A><![CDATA[x</A>") << "Invalid node";
        QTest::newRow("open doctype") << QByteArray("<!DOCTYPE A [<!ELEMENT A ANY>") << "Invalid node";
        QTest::newRow("doctype bracket quoted") << QByteArray("<!DOCTYPE A [ \"]>\" <A/>") << "Invalid node";
        QTest::newRow("too short") << QByteArray("<!") << "Invalid node";
        // A blank between "<" and "?" must not stall the parse.
        QTest::newRow("blank before ?") << QByteArray("< ?xml?><A/>") << "Invalid node";
        QTest::newRow("blank before !") << QByteArray("<A>< !-- x --></A>") << "Invalid node";
        QTest::newRow("start tag open") << QByteArray("<A") << "End of tag not found";
        QTest::newRow("child tag open") << QByteArray("<A><B x='1'") << "End of tag not found";
        QTest::newRow("case differs") << QByteArray("<A></a>") << "End tag does not correspond to A";
        QTest::newRow("child not closed") << QByteArray("<A><B></A>") << "End tag does not correspond to B";
        QTest::newRow("longer end name") << QByteArray("<A></AB>") << "End tag does not correspond to A";
        QTest::newRow("shorter end name") << QByteArray("<AB></A>") << "End tag does not correspond to AB";
        QTest::newRow("quoted end name") << QByteArray("<A></'A'>") << "End tag does not correspond to A";
        QTest::newRow("end tag open") << QByteArray("<A></A") << "End tag not completed for element A";
        QTest::newRow("end tag bare") << QByteArray("<A></") << "End tag not completed for element A";
        QTest::newRow("quoted > in end tag") << QByteArray("<A></A x='>'") << "End tag not completed for element A";
    }

    void parseErrors() {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        CXmlTree tree;
        QVERIFY(tree.LoadText("<OLD><X/></OLD>"));
        QVERIFY(!tree.LoadText(text.toStdString()));
        QCOMPARE(QString::fromStdString(tree.GetParseError()), message);
        // Nothing of the failed parse, nor of the earlier document, stays reachable.
        QVERIFY(!tree.HasRoot());
        QCOMPARE(tree.GetNextFree(), 1);
        QVERIFY(!tree.FindNext(nullptr));
        QVERIFY(!tree.FindNextChild(nullptr));
        QVERIFY(!tree.EnterElement());
        QCOMPARE(Cursor(tree), std::make_tuple(0, 0, 0, false));
    }

    void successClearsTheLastError() {
        CXmlTree tree;
        QVERIFY(!tree.LoadText("<A>"));
        QVERIFY(!tree.GetParseError().empty());
        QVERIFY(tree.LoadText("<A/>"));
        QVERIFY(tree.GetParseError().empty());
        QVERIFY(!tree.LoadText(nullptr));
        QVERIFY(!tree.LoadText(""));
        QVERIFY(!tree.HasRoot());
    }

    // A text handed over is parsed as a copied one is, the caller's string is left empty, and
    // the tree goes on owning the text: its elements read after the original is gone.
    void takesATextOver() {
        const std::string xml(5000, ' ');
        const std::string doc = "<A><B>first &amp; last</B>" + xml + "<C/></A>";
        CXmlTree copied;
        QVERIFY(copied.LoadText(doc));
        CXmlTree taken;
        {
            platform::SecureString text(doc.data(), doc.size());
            QVERIFY(taken.LoadText(std::move(text)));
            QVERIFY(text.empty());
        }
        QCOMPARE(taken.GetNextFree(), copied.GetNextFree());
        for (int i = 0; i < copied.GetNextFree(); ++i)
            QCOMPARE(taken.GetSpan(i), copied.GetSpan(i));
        QCOMPARE(taken.GetElementText(2), std::string("first & last"));
        QCOMPARE(taken.GetText(), doc);
        platform::SecureString broken("<A><B>");
        QVERIFY(!taken.LoadText(std::move(broken)));
        QVERIFY(!taken.HasRoot());
        QVERIFY(!taken.GetParseError().empty());
    }

    void indexOfASmallDocument() {
        CXmlTree tree;
        QVERIFY(tree.LoadText("<A><B>x</B><C/></A>"));
        QVERIFY(tree.HasRoot());
        QCOMPARE(tree.GetNextFree(), 4);
        QCOMPARE(tree.GetSpan(0).iFirstChild, 1);
        QCOMPARE(tree.GetSpan(1), (Span{0, 2, 15, 18, 0, 2, 0}));
        QCOMPARE(tree.GetSpan(2), (Span{3, 5, 7, 10, 1, 0, 3}));
        QCOMPARE(tree.GetSpan(3), (Span{11, 14, 13, 14, 1, 0, 0})); // empty-element tag: "/" and ">"
        QCOMPARE(tree.GetElementName(3), std::string_view("C"));
    }

    void indexGrowsByHalfAndNeverShrinks() {
        // 83 bytes: room for 83 / 64 + 8 = 9 entries; 21 are needed (document + 20 elements).
        std::string text = "<R>";
        for (int i = 0; i < 19; ++i)
            text += "<a/>";
        text += "</R>";
        CXmlTree tree;
        QVERIFY(tree.LoadText(text));
        QCOMPARE(tree.GetNextFree(), 21);
        QCOMPARE(tree.GetCapacity(), 28); // 9 -> 13 -> 19 -> 28
        QVERIFY(tree.LoadText(std::string(6400, ' ') + "<A/>"));
        QCOMPARE(tree.GetCapacity(), 6404 / 64 + 8);
        QVERIFY(tree.LoadText("<A/>"));
        QCOMPARE(tree.GetCapacity(), 6404 / 64 + 8);
    }

    void specialNodesAreSteppedOver() {
        CXmlTree tree;
        QVERIFY(
            tree.LoadText("<?xml version=\"1.0\"?>\r\n<!DOCTYPE R [<!ELEMENT R ANY><!ATTLIST R a CDATA \"]>\">]>\r\n"
                          "<!-- <NOT/> --><R><?pi <NOT/> ?><A/><![CDATA[<NOT/>]]><B>b</B><!-- x -->"
                          "<!DOCTYPE y><C/></R><SECOND/>"));
        QCOMPARE(tree.GetNextFree(), 5); // R, A, B, C; the second top-level element is ignored
        QVERIFY(tree.FindNext(nullptr));
        QVERIFY(!tree.FindNext(nullptr));
        QVERIFY(tree.FindNextChild("B"));
        QCOMPARE(tree.GetChildText(), std::string("b"));
        QVERIFY(tree.FindNextChild(nullptr));
        QCOMPARE(tree.GetElementName(tree.GetChildPos()), std::string_view("C"));
        QVERIFY(!tree.FindNextChild(nullptr));
    }

    void attributesAreNotParsed() {
        CXmlTree tree;
        // The start tag ends at the first ">", even inside an apostrophe-quoted value.
        QVERIFY(tree.LoadText("<R><A x='a>b'>t</A><B k=\"v\" />\r\n</R>"));
        QVERIFY(tree.FindNextChild("A"));
        QCOMPARE(tree.GetChildText(), std::string("b'>t"));
        QVERIFY(tree.FindNextChild("B"));
        QCOMPARE(tree.GetChildText(), std::string());
        QCOMPARE(tree.GetSpan(tree.GetChildPos()).nEndOpen, tree.GetSpan(tree.GetChildPos()).nTagClose - 1);
    }

    void deepNestingDoesNotExhaustTheStack() {
        std::string text;
        const int depth = 200000;
        for (int i = 0; i < depth; ++i)
            text += "<a>";
        for (int i = 0; i < depth; ++i)
            text += "</a>";
        CXmlTree tree;
        QVERIFY(tree.LoadText(text));
        QCOMPARE(tree.GetNextFree(), depth + 1);
        text.resize(text.size() - 1);
        QVERIFY(!tree.LoadText(text));
        QCOMPARE(QString::fromStdString(tree.GetParseError()), QString("End tag not completed for element a"));
    }

    void findNextOnlyMovesForward() {
        CXmlTree tree;
        QVERIFY(tree.LoadText("<A><B>x</B><C/></A>"));
        QVERIFY(tree.FindNext(nullptr));
        QCOMPARE(Cursor(tree), std::make_tuple(0, 1, 0, true));
        QVERIFY(tree.EnterElement());
        QCOMPARE(Cursor(tree), std::make_tuple(1, 0, 0, false));
        QVERIFY(tree.FindNext("C"));
        QCOMPARE(Cursor(tree), std::make_tuple(1, 3, 0, true));
        QVERIFY(!tree.FindNext("B"));
        QCOMPARE(Cursor(tree), std::make_tuple(1, 3, 0, true));
        QVERIFY(tree.EnterElement()); // into C, which has no children
        QCOMPARE(Cursor(tree), std::make_tuple(3, 0, 0, false));
        QVERIFY(!tree.EnterElement());
        // Nothing below C: the root is not taken for a child of it.
        QVERIFY(!tree.FindNextChild(nullptr));
        QCOMPARE(Cursor(tree), std::make_tuple(3, 0, 0, false));
        QVERIFY(tree.LeaveElement());
        QCOMPARE(Cursor(tree), std::make_tuple(1, 3, 0, true));
        QVERIFY(tree.LeaveElement());
        QCOMPARE(Cursor(tree), std::make_tuple(0, 1, 3, true));
        QVERIFY(!tree.LeaveElement());
        QCOMPARE(Cursor(tree), std::make_tuple(0, 1, 3, true));
    }

    void findNextChildReadsFields() {
        CXmlTree tree;
        QVERIFY(tree.LoadText("<A><B>x</B><C/></A>"));
        QCOMPARE(tree.GetChildText(), std::string()); // no child position yet
        // At the document level FindNextChild first stands on the root.
        QVERIFY(tree.FindNextChild("B"));
        QCOMPARE(Cursor(tree), std::make_tuple(0, 1, 2, true));
        QCOMPARE(tree.GetChildText(), std::string("x"));
        QVERIFY(tree.FindNextChild("C"));
        QCOMPARE(tree.GetChildText(), std::string());
        QVERIFY(!tree.FindNextChild("B"));
        QCOMPARE(Cursor(tree), std::make_tuple(0, 1, 3, true));
        // EnterElement goes to the child position; LeaveElement comes back to it.
        QVERIFY(tree.EnterElement());
        QCOMPARE(Cursor(tree), std::make_tuple(1, 3, 0, true));
    }

    void namesMatchUpToAnIndexSuffix() {
        CXmlTree tree;
        QVERIFY(tree.LoadText("<R><ACCOUNTS/><account/><ACCOUNT>1</ACCOUNT><ACCOUNT>2</ACCOUNT></R>"));
        QVERIFY(tree.FindNextChild("ACCOUNT"));
        QCOMPARE(tree.GetChildText(), std::string("1"));
        QVERIFY(tree.FindNextChild("ACCOUNT[2]"));
        QCOMPARE(tree.GetChildText(), std::string("2"));
        for (const char* wanted : {"ACCOUNT x", "ACCOUNT=1", "ACCOUNT/"}) {
            CXmlTree again;
            QVERIFY(again.LoadText("<R><ACCOUNTS/><ACCOUNT>1</ACCOUNT></R>"));
            QVERIFY2(again.FindNextChild(wanted), wanted);
            QCOMPARE(again.GetChildText(), std::string("1"));
        }
        CXmlTree other;
        QVERIFY(other.LoadText("<R><ACCOUNT/></R>"));
        QVERIFY(!other.FindNextChild("ACC"));
        QVERIFY(!other.FindNextChild("ACCOUNTS"));
        QVERIFY(!other.FindNextChild("ACCOUNT-1"));
    }

    void navigationOnAnEmptyTree() {
        CXmlTree tree;
        QVERIFY(!tree.HasRoot());
        QVERIFY(!tree.FindNext(nullptr));
        QVERIFY(!tree.FindNextChild("A"));
        QVERIFY(!tree.EnterElement());
        QVERIFY(!tree.LeaveElement());
        QCOMPARE(tree.GetChildText(), std::string());
    }

    void elementText_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("entities, blanks kept") << QByteArray("  a&lt;b&amp;c&#65;  ") << QByteArray("  a<b&c&#65;  ");
        QTest::newRow("all five") << QByteArray("&lt;&amp;&gt;&apos;&quot;") << QByteArray("<&>'\"");
        QTest::newRow("unknown and cut") << QByteArray("&nbsp;&&amp") << QByteArray("&nbsp;&&amp");
        QTest::newRow("double escape") << QByteArray("&amp;lt;") << QByteArray("&lt;");
        QTest::newRow("lines and utf-8") << QByteArray("line 1\r\nlíne 2 😀\n") << QByteArray("line 1\r\nlíne 2 😀\n");
        QTest::newRow("blanks only") << QByteArray(" \t\r\n") << QByteArray(" \t\r\n");
        QTest::newRow("empty body") << QByteArray("") << QByteArray("");
        QTest::newRow("cdata") << QByteArray(" <![CDATA[<x>&amp;]]> ") << QByteArray("<x>&amp;");
        QTest::newRow("empty cdata") << QByteArray("<![CDATA[]]>") << QByteArray("");
        QTest::newRow("cdata then text") << QByteArray("<![CDATA[a]]>tail") << QByteArray("a");
        QTest::newRow("text then cdata") << QByteArray("t<![CDATA[a]]>") << QByteArray("t<![CDATA[a]]>");
        QTest::newRow("comment kept raw") << QByteArray("a<!-- c -->b") << QByteArray("a<!-- c -->b");
    }

    void elementText() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, text);
        CXmlTree tree;
        QVERIFY(tree.LoadText("<R><A>" + body.toStdString() + "</A><B><C/></B></R>"));
        QVERIFY(tree.FindNextChild("A"));
        QCOMPARE(QByteArray::fromStdString(tree.GetChildText()), text);
        QVERIFY(tree.FindNextChild("B"));
        QCOMPARE(tree.GetChildText(), std::string()); // an element with children has no text
    }
};

LW_REGISTER_TEST(XmlParserTest);
#include "XmlParserTest.moc"
