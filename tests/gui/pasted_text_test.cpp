// "Champ texte" reads the pasted text's code points as QString::toUcs4 gives
// them, lone surrogates included, without going through a copy of that list.
#include <QtTest>

#include "app/App.h"
#include "recordgen.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"
#include "records/Results.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

class PastedTextTest : public QObject {
  Q_OBJECT
  testing_gui::GuiFixture<> gui;

 private slots:
  // Records between lone high and low surrogates, a pair and other
  // characters list what the finder gives for toUcs4's code points.
  void surrogatesAsToUcs4GivesThem() {
    const auto& places = recordgen::samplePlaces();
    QString text = QString::fromStdString(recordgen::toHexUpper(recordgen::encodeRecord(places[0])));
    text += QChar(0xD800);  // lone high
    text += QString::fromStdString(recordgen::toHexUpper(recordgen::encodeRecord(places[3])));
    text += QChar(0xDC00);                          // lone low
    text += QString::fromUtf8("\xF0\x9F\x97\xBA");  // a pair
    text += QChar(0xD83D);                          // high before a non-surrogate
    text += QString::fromStdString(recordgen::toHexUpper(recordgen::encodeRecord(places[12])));
    text += QString::fromUtf8("\xC3\xA9");

    const QList<uint> ucs4 = text.toUcs4();
    const std::u32string chars(ucs4.begin(), ucs4.end());
    const std::vector<records::RecordTexts> want = records::FindRecordsInHexText(chars);
    QVERIFY(want.size() >= 3);

    Window2* w = Window2::instance();
    testutil::ScriptedSeams seams;
    w->Control<fw::TextArea>("TextSource")->SetText(text);
    w->ChampTextePB_Action();
    // The characters that are no hex digits are told as code points: the
    // pair is one of them, each lone surrogate another.
    QCOMPARE(seams.messages.size(), size_t{1});
    QVERIFY2(seams.messages[0].startsWith(QString::fromUtf8("Le texte collé contient 5 caractères qui ne sont ni")),
             qPrintable(seams.messages[0]));
    fw::Listbox* all = w->List("Listbox1");
    QCOMPARE(all->LastIndex() + 1, static_cast<int>(want.size()));
    for (int r = 0; r <= all->LastIndex(); ++r)
      for (int c = 0; c < records::kFieldCount; ++c)
        QCOMPARE(all->Cell(r, c), want[static_cast<size_t>(r)].text[static_cast<size_t>(c)]);
  }
};

QTEST_MAIN(PastedTextTest)
#include "pasted_text_test.moc"
