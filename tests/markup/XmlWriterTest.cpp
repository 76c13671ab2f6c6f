#include "common/TestRegistry.h"
#include "markup/XmlTree.h"

#include <QTest>
#include <functional>
#include <random>

namespace {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// Compares the index of a built tree with the one a fresh parse of its text gives, element by
// element in document order (entry numbers may differ once elements were inserted in the middle).
// Fills fresh[i] with the number the parse gave to built element i.
QString CompareIndexes(const CXmlTree& built, const CXmlTree& parsed, std::vector<int>& fresh) {
    fresh.assign(static_cast<size_t>(built.GetNextFree()), 0);
    QString problem;
    std::function<void(int, int)> walk = [&](int b, int p) {
        for (; b != 0 && p != 0 && problem.isEmpty();
             b = built.GetSpan(b).iNextSibling, p = parsed.GetSpan(p).iNextSibling) {
            const CXmlTree::ElementSpan x = built.GetSpan(b), y = parsed.GetSpan(p);
            if (x.nTagOpen != y.nTagOpen || x.nTagClose != y.nTagClose || x.nEndOpen != y.nEndOpen ||
                x.nEndClose != y.nEndClose)
                problem = QString("offsets of element %1: built %2 %3 %4 %5, parsed %6 %7 %8 %9")
                              .arg(b)
                              .arg(x.nTagOpen)
                              .arg(x.nTagClose)
                              .arg(x.nEndOpen)
                              .arg(x.nEndClose)
                              .arg(y.nTagOpen)
                              .arg(y.nTagClose)
                              .arg(y.nEndOpen)
                              .arg(y.nEndClose);
            else if (fresh[static_cast<size_t>(x.iParent)] != y.iParent)
                problem = QString("parent of element %1").arg(b);
            fresh[static_cast<size_t>(b)] = p;
            walk(x.iFirstChild, y.iFirstChild);
        }
        if (problem.isEmpty() && (b != 0 || p != 0))
            problem = QString("child lists differ at built element %1 / parsed %2").arg(b).arg(p);
    };
    walk(built.GetSpan(0).iFirstChild, parsed.GetSpan(0).iFirstChild);
    if (problem.isEmpty() && built.GetNextFree() != parsed.GetNextFree())
        problem = QString("%1 entries built, %2 parsed").arg(built.GetNextFree()).arg(parsed.GetNextFree());
    return problem;
}

} // namespace

class XmlWriterTest : public QObject {
    Q_OBJECT

private slots:
    void buildsTheFixedLayout() {
        CXmlTree tree;
        QVERIFY(!tree.LoadText(nullptr));
        QVERIFY(!tree.LoadText(kDeclaration));
        QVERIFY(tree.AppendElement("DOC", nullptr));
        QVERIFY(tree.EnterElement());
        QVERIFY(tree.AppendElement("A", nullptr));
        QVERIFY(tree.EnterElement());
        QVERIFY(tree.AppendElement("B", "x<y"));
        QVERIFY(tree.AppendElement("C", ""));
        QVERIFY(tree.LeaveElement());
        QVERIFY(tree.AppendElement("D", nullptr));
        QCOMPARE(tree.GetText(), std::string(kDeclaration) + "<DOC>\r\n<A>\r\n<B>x&lt;y</B>\r\n<C/>\r\n</A>\r\n<D/>\r\n"
                                                             "</DOC>\r\n");
        QCOMPARE(tree.GetParentPos(), 1);
        QCOMPARE(tree.GetPos(), 5);
        QCOMPARE(tree.GetChildPos(), 0);
        QVERIFY(tree.IsAtElement());
    }

    // Room made in advance changes nothing in what is written, whether the guess is short or
    // long; the text handed over leaves an empty tree that builds anew.
    void reservedRoomAndTakenText() {
        std::string texts[3];
        for (size_t reserve : {size_t(0), size_t(10), size_t(100000)}) {
            CXmlTree tree;
            tree.LoadText(kDeclaration);
            QVERIFY(reserve == 0 || tree.Reserve(reserve, reserve / 10));
            QVERIFY(tree.AppendElement("DOC", nullptr));
            QVERIFY(tree.EnterElement());
            for (int i = 0; i < 50; ++i)
                QVERIFY(tree.AppendElement("E", std::to_string(i) + "&"));
            const platform::SecureString text = tree.TakeText();
            QVERIFY(!tree.HasRoot());
            QVERIFY(tree.GetText().empty());
            QVERIFY(tree.AppendElement("NEW", nullptr));
            QCOMPARE(tree.GetText(), std::string("<NEW/>\r\n"));
            texts[reserve == 0 ? 0 : reserve == 10 ? 1 : 2] = std::string(text.view());
        }
        QVERIFY(texts[0].find("<E>49&amp;</E>\r\n</DOC>") != std::string::npos);
        QCOMPARE(texts[1], texts[0]);
        QCOMPARE(texts[2], texts[0]);
        QVERIFY(!CXmlTree().Reserve(size_t(CXmlTree::kMaxTextLength) + 1, 0));
    }

    void encodesOnlyMarkupCharacters() {
        QCOMPARE(CXmlTree::EncodeText("a&b>c<d 'q' \"qq\" \t\r\n é"),
                 std::string("a&amp;b&gt;c&lt;d 'q' \"qq\" \t\r\n é"));
        QCOMPARE(CXmlTree::EncodeText(""), std::string());
        QCOMPARE(CXmlTree::EncodeText("&&"), std::string("&amp;&amp;"));

        CXmlTree tree;
        QVERIFY(tree.AppendElement("R", nullptr)); // a tree that was never loaded starts empty
        QVERIFY(tree.EnterElement());
        QVERIFY(tree.AppendElement("A", "a&b>c 'x' \"y\""));
        QVERIFY(tree.AppendElement("B", "   "));
        QVERIFY(tree.AppendElement("C", nullptr));
        QCOMPARE(tree.GetText(), std::string("<R>\r\n<A>a&amp;b&gt;c 'x' \"y\"</A>\r\n<B>   </B>\r\n<C/>\r\n</R>\r\n"));
    }

    void appendsIntoLoadedParents_data() {
        QTest::addColumn<QByteArray>("loaded");
        QTest::addColumn<QByteArray>("expected");
        // Standing inside the root with no current element: the new one becomes its last child.
        QTest::newRow("empty body") << QByteArray("<P></P>") << QByteArray("<P>\r\n<N>v</N>\r\n</P>");
        QTest::newRow("empty-element tag") << QByteArray("<P a='1' />") << QByteArray("<P a='1' >\r\n<N>v</N>\r\n</P>");
        QTest::newRow("text body") << QByteArray("<P>t</P>") << QByteArray("<P>t<N>v</N>\r\n</P>");
        QTest::newRow("blank body") << QByteArray("<P>\r\n</P>") << QByteArray("<P>\r\n<N>v</N>\r\n</P>");
        QTest::newRow("after children") << QByteArray("<P><A/>\r\n<B>b</B>  </P>")
                                        << QByteArray("<P><A/>\r\n<B>b</B>  <N>v</N>\r\n</P>");
    }

    void appendsIntoLoadedParents() {
        QFETCH(QByteArray, loaded);
        QFETCH(QByteArray, expected);
        CXmlTree tree;
        QVERIFY(tree.LoadText(loaded.toStdString()));
        QVERIFY(tree.FindNext(nullptr));
        QVERIFY(tree.EnterElement());
        QVERIFY(tree.AppendElement("N", "v"));
        QCOMPARE(QByteArray::fromStdString(tree.GetText()), expected);
        CXmlTree parsed;
        QVERIFY(parsed.LoadText(tree.GetText()));
        std::vector<int> fresh;
        QCOMPARE(CompareIndexes(tree, parsed, fresh), QString());
        // The new element can be read at once, through the cursor, without a new load.
        QVERIFY(tree.LeaveElement());
        QCOMPARE(tree.GetChildText(), std::string("v"));
        QVERIFY(tree.EnterElement());
        QCOMPARE(tree.GetElementName(tree.GetPos()), std::string_view("N"));
    }

    void insertsBetweenSiblings() {
        CXmlTree tree;
        QVERIFY(tree.LoadText("<R><A/>tail<B><C>c</C></B>\r\n</R>"));
        QVERIFY(tree.FindNextChild("A"));
        QVERIFY(tree.EnterElement()); // stand on A inside R
        QVERIFY(tree.AppendElement("X", "x"));
        QCOMPARE(tree.GetText(), std::string("<R><A/><X>x</X>\r\ntail<B><C>c</C></B>\r\n</R>"));
        CXmlTree parsed;
        QVERIFY(parsed.LoadText(tree.GetText()));
        std::vector<int> fresh;
        QCOMPARE(CompareIndexes(tree, parsed, fresh), QString());
        QVERIFY(tree.FindNext("B"));
        QVERIFY(tree.FindNextChild("C"));
        QCOMPARE(tree.GetChildText(), std::string("c"));
    }

    void rootAfterShortText() {
        // A one-byte text must not pass for an element with an empty body.
        CXmlTree tree;
        QVERIFY(!tree.LoadText("x"));
        QVERIFY(tree.AppendElement("A", nullptr));
        QCOMPARE(tree.GetText(), std::string("x<A/>\r\n"));
        QCOMPARE(tree.GetSpan(1).nTagOpen, 1);
    }

    void secondRootIsRefused() {
        CXmlTree tree;
        QVERIFY(!tree.LoadText(kDeclaration));
        QVERIFY(tree.AppendElement("DOC", nullptr));
        QVERIFY(tree.EnterElement());
        QVERIFY(tree.AppendElement("A", "a"));
        QVERIFY(tree.LeaveElement());
        QCOMPARE(tree.GetParentPos(), 0);
        const std::string before = tree.GetText();
        QVERIFY(!tree.AppendElement("DOC2", nullptr));
        QCOMPARE(tree.GetText(), before);
        QCOMPARE(tree.GetNextFree(), 3);
        QCOMPARE(tree.GetPos(), 1);
        QCOMPARE(tree.GetChildPos(), 2);

        CXmlTree loaded; // the same for a root that came from a load
        QVERIFY(loaded.LoadText("<R/>"));
        QVERIFY(!loaded.AppendElement("S", "s"));
        QCOMPARE(loaded.GetText(), std::string("<R/>"));
    }

    // Random trees built with every kind of text, checked after each single append against a fresh
    // parse of the text: the same index, and every element's text read back unchanged.
    void randomTreesMatchAFreshParse() {
        std::mt19937 random(424242);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const std::vector<std::string> nameParts = {"a", "B", "x1", "_", "-", ".", "é", "名", "NAME", ":"};
        const std::vector<std::string> textParts = {"<",    "&",     ">",   "\"",  "'",         "\r", "\n",
                                                    "\r\n", " ",     "\t",  "a",   "xyz",       "é",  "中文",
                                                    "😀",    "&amp;", "&lt", "]]>", "<![CDATA[", "?>"};
        auto randomName = [&] {
            std::string name = nameParts[static_cast<size_t>(pick(7))]; // never starts with "-", "." or ":"
            for (int i = pick(3); i > 0; --i)
                name += nameParts[static_cast<size_t>(pick(static_cast<int>(nameParts.size())))];
            return name;
        };
        auto randomText = [&] {
            switch (pick(6)) {
            case 0:
                return std::string();
            case 1:
                return std::string(static_cast<size_t>(1 + pick(3)), pick(2) ? ' ' : '\t');
            default: {
                std::string text;
                for (int i = 1 + pick(6); i > 0; --i)
                    text += textParts[static_cast<size_t>(pick(static_cast<int>(textParts.size())))];
                return text;
            }
            }
        };

        int betweenSiblings = 0;
        for (int round = 0; round < 300; ++round) {
            CXmlTree tree;
            if (pick(2))
                tree.LoadText(kDeclaration);
            std::vector<std::string> names(1), texts(1);
            std::vector<bool> hasChildren(1, false);
            int depth = 0;
            const int appends = 1 + pick(40);
            for (int done = 0; done < appends;) {
                const int action = pick(10);
                if (action < 6 || !tree.HasRoot()) {
                    const std::string name = randomName(), text = randomText();
                    const int parent = tree.GetParentPos();
                    if (parent == 0 && tree.HasRoot()) {
                        QVERIFY(!tree.AppendElement(name, text));
                        continue;
                    }
                    if (tree.GetPos() != 0 && tree.GetSpan(tree.GetPos()).iNextSibling != 0)
                        ++betweenSiblings;
                    QVERIFY(tree.AppendElement(name, text));
                    ++done;
                    QCOMPARE(tree.GetPos(), static_cast<int>(names.size()));
                    names.push_back(name);
                    texts.push_back(text);
                    hasChildren.push_back(false);
                    hasChildren[static_cast<size_t>(parent)] = true;

                    CXmlTree parsed;
                    QVERIFY2(parsed.LoadText(tree.GetText()), parsed.GetParseError().c_str());
                    std::vector<int> fresh;
                    const QString problem = CompareIndexes(tree, parsed, fresh);
                    QVERIFY2(problem.isEmpty(), qPrintable(problem + "\n" + QString::fromStdString(tree.GetText())));
                    for (int i = 1; i < tree.GetNextFree(); ++i) {
                        const std::string expected =
                            hasChildren[static_cast<size_t>(i)] ? "" : texts[static_cast<size_t>(i)];
                        QCOMPARE(tree.GetElementName(i), std::string_view(names[static_cast<size_t>(i)]));
                        QCOMPARE(tree.GetElementText(i), expected);
                        QCOMPARE(parsed.GetElementText(fresh[static_cast<size_t>(i)]), expected);
                    }
                } else if (action < 8 && depth < 6) {
                    if (tree.EnterElement())
                        ++depth;
                } else if (action == 8) {
                    if (tree.LeaveElement())
                        --depth;
                } else {
                    // Go back to an earlier child of the current parent, so that the next append lands
                    // between siblings and has to move the ones behind it.
                    const int parent = tree.GetParentPos();
                    if (parent == 0 || tree.GetSpan(parent).iParent == 0)
                        continue;
                    QVERIFY(tree.LeaveElement());
                    QVERIFY(tree.LeaveElement());
                    QVERIFY(tree.EnterElement());
                    QCOMPARE(tree.GetPos(), parent);
                    for (int steps = 1 + pick(4); steps > 0; --steps)
                        tree.FindNextChild(nullptr);
                    QVERIFY(tree.EnterElement());
                    QCOMPARE(tree.GetParentPos(), parent);
                }
            }

            // Finally walk the parsed text the way a reader does, by name, through the cursor.
            CXmlTree parsed;
            QVERIFY(parsed.LoadText(tree.GetText()));
            QVERIFY(parsed.FindNext(nullptr));
            QString problem;
            std::function<void(int)> walk = [&](int element) {
                for (int c = tree.GetSpan(element).iFirstChild; c != 0 && problem.isEmpty();
                     c = tree.GetSpan(c).iNextSibling) {
                    const size_t i = static_cast<size_t>(c);
                    if (!parsed.FindNextChild(names[i]))
                        problem = QString("child %1 not found").arg(c);
                    else if (parsed.GetChildText() != (hasChildren[i] ? std::string() : texts[i]))
                        problem = QString("text of %1 differs").arg(c);
                    else if (hasChildren[i] && !parsed.EnterElement())
                        problem = QString("cannot enter %1").arg(c);
                    else if (hasChildren[i]) {
                        walk(c);
                        if (!parsed.LeaveElement())
                            problem = QString("cannot leave %1").arg(c);
                    }
                }
                if (problem.isEmpty() && parsed.FindNextChild(nullptr))
                    problem = QString("element %1 has more children than built").arg(element);
            };
            walk(tree.GetSpan(0).iFirstChild);
            QVERIFY2(problem.isEmpty(), qPrintable(problem + "\n" + QString::fromStdString(tree.GetText())));
        }
        QVERIFY2(betweenSiblings > 100, qPrintable(QString::number(betweenSiblings)));
    }
};

LW_REGISTER_TEST(XmlWriterTest);
#include "XmlWriterTest.moc"
