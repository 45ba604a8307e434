#include "workspace/contact_id_tables.h"

#include <gtest/gtest.h>

using namespace ContactIdTables;

TEST(ContactIdTables, InputRulesCutAndUpperCaseOnlyAFullCode) {
    struct Case {
        QString (*rule)(const QString&);
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {eventCodeInput, "e130x", "E130"},
        {eventCodeInput, "e130", "E130"},
        {eventCodeInput, "e13", "e13"},
        {eventCodeInput, "", ""},
        {partitionCodeInput, "01a01", "01A01"},
        {partitionCodeInput, "01a012", "01A01"},
        {partitionCodeInput, "01a0", "01a0"},
        {nameInput, "abcdefghijklmnopqrstuvwxyz1234", "abcdefghijklmnopqrstuvwxyz"},
        {nameInput, "Tűz riasztás", "Tűz riasztás"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rule(QString::fromUtf8(c.typed)), QString::fromUtf8(c.kept)) << c.typed;
}

TEST(ContactIdTables, BuiltInListsHoldEveryRowAsListed) {
    const QList<Entry>& t = partitionTemplate();
    ASSERT_EQ(t.size(), kPartitionRows);
    EXPECT_EQ(t[0], (Entry{"01001", "Zona 1"}));
    EXPECT_EQ(t[14], (Entry{"01015", "Zona 15"}));
    EXPECT_EQ(t[15], (Entry{"?????", QString::fromUtf8("Egyeb Zóna")}));

    const QList<Entry>& d = defaultContactIdCodes();
    ASSERT_EQ(d.size(), 100);
    struct Row {
        int row;
        const char* code;
        const char* name;
    };
    const Row rows[] = {
        {1, "E130", "Betores"},
        {5, "E401", "Nyitas"},
        {11, "E302", "Akkumulator hiba"},
        {14, "R120", "Panik riasztas vége"},
        {23, "E302", "Lemerult akkumulator"},
        {30, "E310", "Földhiba"},
        {36, "E350", "Kommunikacios hiba"},
        {37, "E354", "Kommunikacios hiba"},
        {45, "E384", "RF ado elem kimerult"},
        {46, "E384", "RF ado elem kimerult"},
        {82, "E520", "hangjelző letiltva"},
        {100, "E628", "Kilep PRG modbol"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(d[r.row - 1], (Entry{r.code, QString::fromUtf8(r.name)})) << r.row;
    // Every loaded text already obeys the input rules.
    for (const QList<Entry>* table : {&t, &d})
        for (const Entry& e : *table) {
            EXPECT_EQ(nameInput(e.name), e.name);
            EXPECT_TRUE(e.code.size() == kEventCodeLength || e.code.size() == kPartitionCodeLength);
        }
}

TEST(ContactIdTables, TableFilesAreParsedStrictly) {
    int bad = -1;
    EXPECT_EQ(parseTable("# comment\r\nE130\tBetores\r\n\r\nR130\tVissza\n", &bad),
              (QList<Entry>{{"E130", "Betores"}, {"R130", "Vissza"}}));
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(parseTable("E130\tA\nE131 B\n", &bad).isEmpty());
    EXPECT_EQ(bad, 2);
}

TEST(ContactIdTables, SmsTargetBitsFollowThePhoneNumbers) {
    int targets = 0;
    targets = withTarget(targets, 1, true);
    targets = withTarget(targets, 8, true);
    EXPECT_EQ(targets, 0x81);
    EXPECT_TRUE(targetTicked(targets, 8));
    EXPECT_FALSE(targetTicked(targets, 2));
    EXPECT_EQ(withTarget(targets, 1, false), 0x80);
}
