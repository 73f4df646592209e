#include "core/KeyedCollection.h"
#include "core/NamedCollection.h"

#include <QLocale>
#include <QtTest>

#include <memory>
#include <type_traits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// An element that remembers the key it was added under and counts the live instances.
struct Tag
{
    explicit Tag(QString label) : Label(std::move(label)) { ++Live; }
    ~Tag() { --Live; }
    Tag(const Tag &) = delete;
    Tag &operator=(const Tag &) = delete;

    QStringView NameView() const { return Label; } // the key in a NamedCollection

    QString Label;
    static inline int Live = 0;
};

using Tags = KeyedCollection<Tag>;

std::unique_ptr<Tag> Make(const QString &label)
{
    return std::make_unique<Tag>(label);
}

// The keys in enumeration order; each element's label must be its key, or the list shows the mismatch.
QStringList Keys(const Tags &tags)
{
    QStringList keys;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        keys << (it.key() == (*it)->Label ? it.key() : it.key() + QStringLiteral("≠") + (*it)->Label);
    return keys;
}

// Outcome of one operation: 0 done, -1 declined (TryAdd on a present key), otherwise the clsError number.
int Apply(Tags &tags, const QString &op)
{
    const QStringList parts = op.split(QLatin1Char('|'));
    const QString &verb = parts.at(0);
    try {
        if (verb == QLatin1String("add")) {
            tags.Add(Make(parts.at(1)), parts.at(1));
        } else if (verb == QLatin1String("try")) {
            if (!tags.TryAdd(Make(parts.at(1)), parts.at(1)))
                return -1;
        } else if (verb == QLatin1String("first")) {
            tags.AddFirst(Make(parts.at(1)), parts.at(1));
        } else if (verb == QLatin1String("after")) {
            tags.AddAfter(Make(parts.at(2)), parts.at(2), parts.at(1));
        } else if (verb == QLatin1String("remove")) {
            tags.Remove(parts.at(1));
        } else if (verb == QLatin1String("take")) {
            tags.Take(parts.at(1));
        } else {
            qFatal("unknown operation %s", qPrintable(op));
        }
    } catch (const clsError &e) {
        return e.Number();
    }
    return 0;
}

} // namespace

class tst_KeyedCollection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QCOMPARE(Tag::Live, 0); }

    // Key comparison
    void keysCompareByCaseFolding_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("lookup");
        QTest::addColumn<bool>("same");

        QTest::newRow("identical") << u"Pistols"_s << u"Pistols"_s << true;
        QTest::newRow("ASCII upper") << u"Pistols"_s << u"PISTOLS"_s << true;
        QTest::newRow("ASCII lower") << u"PISTOLS"_s << u"pistols"_s << true;
        QTest::newRow("Latin-1 umlaut") << u"ÄRZTE"_s << u"ärzte"_s << true;
        QTest::newRow("Greek final sigma") << u"\u039F\u0394\u039F\u03A3"_s << u"\u03BF\u03B4\u03BF\u03C2"_s << true;
        QTest::newRow("Kelvin sign folds to k") << QString(QChar(0x212A)) + "it" << u"kIT"_s << true;
        QTest::newRow("Deseret pair outside the BMP")
            << QString::fromUcs4(U"\U00010400 Kit") << QString::fromUcs4(U"\U00010428 KIT") << true;
        QTest::newRow("Deseret different letters")
            << QString::fromUcs4(U"\U00010400") << QString::fromUcs4(U"\U00010401") << false;
        QTest::newRow("unpaired surrogate matches itself") << QString(QChar(0xD800)) << QString(QChar(0xD800)) << true;
        QTest::newRow("unpaired surrogates differ") << QString(QChar(0xD800)) << QString(QChar(0xD801)) << false;
        QTest::newRow("prefix") << u"Pistol"_s << u"Pistols"_s << false;
        QTest::newRow("trailing space") << u"Pistols"_s << u"Pistols "_s << false;
        QTest::newRow("sharp s is not ss (simple folding)") << u"Straße"_s << u"STRASSE"_s << false;
        QTest::newRow("dotless i is not i") << u"ı"_s << u"i"_s << false;
        QTest::newRow("precomposed vs combining accent") << u"é"_s << u"e\u0301"_s << false;
        QTest::newRow("empty vs empty") << u""_s << u""_s << true;
        QTest::newRow("empty vs space") << u""_s << u" "_s << false;
    }
    void keysCompareByCaseFolding()
    {
        QFETCH(QString, stored);
        QFETCH(QString, lookup);
        QFETCH(bool, same);

        QCOMPARE(FoldedKey::Equal(stored, lookup), same);
        QCOMPARE(FoldedKey::Equal(lookup, stored), same);
        if (same)
            QCOMPARE(FoldedKey::Hash(stored, 42), FoldedKey::Hash(lookup, 42));

        Tags tags;
        Tag &added = tags.Add(Make(stored), stored);
        QCOMPARE(tags.Contains(lookup), same);
        QCOMPARE(tags.Find(lookup), same ? &added : nullptr);

        int number = 0;
        try {
            tags.Add(Make(lookup), lookup);
        } catch (const clsError &e) {
            number = e.Number();
        }
        QCOMPARE(number, same ? 457 : 0);
        QCOMPARE(tags.Count(), same ? 1 : 2);
        QCOMPARE(Keys(tags).first(), stored);

        // A collection that reads the keys from its elements finds them alike.
        NamedCollection<Tag> named;
        Tag &first = named.Add(Make(stored));
        QCOMPARE(named.Find(lookup), same ? &first : nullptr);
        QCOMPARE(named.TryAdd(Make(lookup)) == nullptr, same);
        QCOMPARE(named.Count(), same ? 1 : 2);
    }

    // Order and changes
    void operations_data()
    {
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<QList<int>>("outcomes");
        QTest::addColumn<QStringList>("order");

        using L = QStringList;
        using O = QList<int>;
        QTest::newRow("appends keep insertion order") << L{"add|b", "add|a", "add|c"} << O{0, 0, 0} << L{"b", "a", "c"};
        QTest::newRow("add first into empty") << L{"first|a"} << O{0} << L{"a"};
        QTest::newRow("add first goes in front") << L{"add|a", "add|b", "first|c"} << O{0, 0, 0} << L{"c", "a", "b"};
        QTest::newRow("add after first-added becomes tail for the next add")
            << L{"first|a", "add|b"} << O{0, 0} << L{"a", "b"};
        QTest::newRow("add after a middle element")
            << L{"add|a", "add|b", "add|c", "after|B|x"} << O{0, 0, 0, 0} << L{"a", "b", "x", "c"};
        QTest::newRow("add after the last element, then append")
            << L{"add|a", "after|A|x", "add|y"} << O{0, 0, 0} << L{"a", "x", "y"};
        QTest::newRow("add under a present key, other case")
            << L{"add|Pistols", "add|PISTOLS"} << O{0, 457} << L{"Pistols"};
        QTest::newRow("add under a present key keeps order")
            << L{"add|a", "add|b", "add|c", "add|B", "add|d"} << O{0, 0, 0, 457, 0} << L{"a", "b", "c", "d"};
        QTest::newRow("add first under a present key") << L{"add|a", "add|b", "first|B"} << O{0, 0, 457} << L{"a", "b"};
        QTest::newRow("add after under a present key")
            << L{"add|a", "add|b", "after|a|B"} << O{0, 0, 457} << L{"a", "b"};
        QTest::newRow("add after a missing key") << L{"add|a", "after|zz|x"} << O{0, 5} << L{"a"};
        QTest::newRow("add after a removed key")
            << L{"add|a", "add|b", "remove|a", "after|a|x"} << O{0, 0, 0, 5} << L{"b"};
        QTest::newRow("add after in an empty collection") << L{"after|a|x", "add|x"} << O{5, 0} << L{"x"};
        QTest::newRow("try add under a present key") << L{"add|a", "try|A", "try|b"} << O{0, -1, 0} << L{"a", "b"};
        QTest::newRow("remove the middle by another case")
            << L{"add|a", "add|b", "add|c", "remove|B"} << O{0, 0, 0, 0} << L{"a", "c"};
        QTest::newRow("remove the head, then add first")
            << L{"add|a", "add|b", "remove|a", "first|c"} << O{0, 0, 0, 0} << L{"c", "b"};
        QTest::newRow("remove the tail, then append")
            << L{"add|a", "add|b", "remove|b", "add|c"} << O{0, 0, 0, 0} << L{"a", "c"};
        QTest::newRow("remove the only element, then reuse its key")
            << L{"add|a", "remove|a", "add|A"} << O{0, 0, 0} << L{"A"};
        QTest::newRow("remove a missing key") << L{"add|a", "remove|b"} << O{0, 5} << L{"a"};
        QTest::newRow("take by key") << L{"add|a", "add|b", "take|A"} << O{0, 0, 0} << L{"b"};
        QTest::newRow("take a missing key") << L{"add|a", "take|b"} << O{0, 5} << L{"a"};
        QTest::newRow("remove twice") << L{"add|a", "remove|a", "remove|a"} << O{0, 0, 5} << L{};
        QTest::newRow("empty key is an ordinary key")
            << L{"add|a", "add|", "after||x", "add|"} << O{0, 0, 0, 457} << L{"a", "", "x"};
        QTest::newRow("empty key removed") << L{"add|", "add|a", "remove|"} << O{0, 0, 0} << L{"a"};
    }
    void operations()
    {
        QFETCH(QStringList, ops);
        QFETCH(QList<int>, outcomes);
        QFETCH(QStringList, order);

        {
            Tags tags;
            QList<int> actual;
            for (const QString &op : ops)
                actual << Apply(tags, op);
            QCOMPARE(actual, outcomes);
            QCOMPARE(Keys(tags), order);
            QCOMPARE(tags.Count(), order.size());
            QCOMPARE(tags.IsEmpty(), order.isEmpty());
            for (const QString &key : order) {
                QVERIFY2(tags.Contains(key), qPrintable(key));
                QCOMPARE(tags.Item(key).Label, key);
            }
            QCOMPARE(Tag::Live, order.size());
        }
        QCOMPARE(Tag::Live, 0);
    }

    // Lookups
    void lookup_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");

        QTest::newRow("exact") << u"Rifles"_s << u"Rifles"_s;
        QTest::newRow("other case") << u"rIFLES"_s << u"Rifles"_s;
        QTest::newRow("empty key present") << u""_s << u""_s;
        QTest::newRow("missing") << u"Knives"_s << QString();
        QTest::newRow("prefix of a key") << u"Rifle"_s << QString();
    }
    void lookup()
    {
        QFETCH(QString, key);
        QFETCH(QString, label);
        const bool present = !label.isNull();

        Tags tags;
        tags.Add(Make("Pistols"), "Pistols");
        tags.Add(Make("Rifles"), "Rifles");
        tags.Add(Make(""), "");

        Tag *found = tags.Find(key);
        QCOMPARE(found != nullptr, present);
        if (present)
            QCOMPARE(found->Label, label);

        int number = 0;
        try {
            QCOMPARE(tags.Item(key).Label, label);
        } catch (const clsError &e) {
            number = e.Number();
        }
        QCOMPARE(number, present ? 0 : 5);
        QCOMPARE(tags.Count(), 3);
    }

    // Ownership
    void takeHandsOverTheElement()
    {
        Tags tags;
        Tag *added = &tags.Add(Make("Pistols"), "Pistols");
        tags.Add(Make("Rifles"), "Rifles");
        std::unique_ptr<Tag> taken = tags.Take(u"PISTOLS");
        QCOMPARE(taken.get(), added);
        QCOMPARE(Tag::Live, 2);
        QVERIFY(!tags.Contains(u"Pistols"));
        QCOMPARE(Keys(tags), QStringList{"Rifles"});
    }

    void failedAddReleasesTheValue()
    {
        Tags tags;
        tags.Add(Make("a"), "a");
        QVERIFY_THROWS_EXCEPTION(clsError, tags.Add(Make("A"), "A"));
        QVERIFY_THROWS_EXCEPTION(clsError, tags.AddAfter(Make("x"), "x", u"missing"));
        QVERIFY(!tags.TryAdd(Make("A"), "A"));
        QCOMPARE(Tag::Live, 1);
    }

    void drainMovesElementsInOrder()
    {
        Tags tags;
        std::vector<Tag *> added;
        for (const char *key : {"c", "a", "b"})
            added.push_back(&tags.Add(Make(key), key));
        tags.AddFirst(Make("z"), "z");
        added.insert(added.begin(), tags.Find(u"z"));

        std::vector<std::unique_ptr<Tag>> drained;
        tags.Drain([&](std::unique_ptr<Tag> t) { drained.push_back(std::move(t)); });

        QCOMPARE(drained.size(), added.size());
        for (std::size_t i = 0; i < added.size(); ++i)
            QCOMPARE(drained[i].get(), added[i]);
        QCOMPARE(Tag::Live, 4);
        QVERIFY(tags.IsEmpty());
        QCOMPARE(tags.begin(), tags.end());
        QVERIFY(!tags.Contains(u"a"));

        // The emptied collection takes the same keys again.
        tags.Add(Make("a"), "a");
        tags.AddFirst(Make("c"), "c");
        QCOMPARE(Keys(tags), (QStringList{"c", "a"}));
    }

    void manyKeysSurviveGrowthAndRemoval_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("n");

        QTest::newRow("keys of their own") << false << 20000;
        // A removal there moves every later element, so fewer of them.
        QTest::newRow("keys read from the elements") << true << 3000;
    }
    void manyKeysSurviveGrowthAndRemoval()
    {
        QFETCH(bool, named);
        QFETCH(int, n);
        if (named)
            growAndRemove(NamedCollection<Tag>(), n);
        else
            growAndRemove(Tags(), n);
    }

private:
    template <typename Collection> static void growAndRemove(Collection &&tags, int n)
    {
        for (int i = 0; i < n; ++i) {
            if constexpr (std::is_same_v<std::decay_t<Collection>, Tags>)
                tags.Add(Make(QStringLiteral("Item%1").arg(i)), QStringLiteral("Item%1").arg(i));
            else
                tags.Add(Make(QStringLiteral("Item%1").arg(i)));
        }
        for (int i = 0; i < n; i += 2)
            tags.Remove(QStringLiteral("ITEM%1").arg(i));
        QCOMPARE(tags.Count(), n / 2);
        int expected = 1;
        bool inOrder = true;
        for (Tag *t : tags) {
            inOrder = inOrder && t->Label == QStringLiteral("Item%1").arg(expected);
            expected += 2;
        }
        QVERIFY(inOrder);
        QCOMPARE(expected, n + 1);
        for (int i = 0; i < n; ++i)
            QCOMPARE(tags.Contains(QStringLiteral("item%1").arg(i)), i % 2 == 1);
    }
};

QTEST_APPLESS_MAIN(tst_KeyedCollection)
#include "tst_KeyedCollection.moc"
