// The lint on lists of 100,000 entries: reading a whole list and asking
// each picture once (what the compiler's check does), and one keystroke in
// a list the lint already holds, followed by the findings of a screenful,
// each picture on it looked at again (what the editor does).

#include "lint/lint.h"
#include "lint/whole_list_lint.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

// A list's text as the editor's document gives it: a copy of each stretch
// asked for, edited in place.
class EditedText final : public scp::LintText {
public:
    explicit EditedText(QString text) : text(std::move(text)) {}
    qsizetype size() const override { return text.size(); }
    QStringView slice(qsizetype from, qsizetype to, QString& buffer) const override
    {
        buffer = text.mid(from, to - from);
        return buffer;
    }
    QString text;
};

constexpr int kEntries = 100'000;
constexpr int kPictures = 100;

// Entries as Add leaves them, each with its own id (and animation), a few in
// ten with a fault; gumps name one of a hundred pictures.
QString listText(ListId list)
{
    QString text;
    for (int i = 0; i < kEntries; ++i) {
        if (i > 0)
            text += QString(list == ListId::Items ? 86 : 37, u' ');
        const int height = i % 10 == 0 ? 201 : 200;
        text += list == ListId::Items
                    ? u"0x%1 0 0 0 0 3 %2 %3 12 Cloak of the night"_s.arg(i, 4, 16, QChar(u'0'))
                          .arg(i % 10 == 0 ? 9 : 5)
                          .arg(i)
                    : u"0x%1 gump_%2.bmp 120 %3"_s.arg(i, 4, 16, QChar(u'0'))
                          .arg(i % kPictures)
                          .arg(height);
    }
    return text;
}

// The hundred pictures the gumps name, 120 x 200 pixels each.
struct Pictures {
    QTemporaryDir dir;
    Pictures()
    {
        QByteArray header("BM");
        header.resize(54, '\0');
        header[14] = 40;
        header[18] = 120;
        header[22] = char(200);
        for (int i = 0; i < kPictures; ++i) {
            QFile file(dir.filePath(u"gump_%1.bmp"_s.arg(i)));
            if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size())
                std::abort();
        }
    }
};

void BM_LintWholeList(benchmark::State& state)
{
    const auto list = ListId(state.range(0));
    const QString text = listText(list);
    Pictures pictures;
    qsizetype found = 0;
    for (auto _ : state) {
        scp::PictureFolder folder(pictures.dir.path(), scp::PictureFolder::Lookups::OncePerName);
        scp::ListLint lint(scp::lintRules(list), &folder);
        lint.setText(text);
        found = lint.findings().size();
    }
    state.counters["findings"] = double(found);
    state.SetLabel(list == ListId::Items ? "items" : "gumps, 100 pictures");
}

// The same list as the compiler's check reads it: once, from its bytes.
void BM_LintWholeListBytes(benchmark::State& state)
{
    const auto list = ListId(state.range(0));
    const QByteArray bytes = scp::encodeCp1252(listText(list)).bytes;
    Pictures pictures;
    qsizetype found = 0;
    for (auto _ : state) {
        scp::PictureFolder folder(pictures.dir.path(), scp::PictureFolder::Lookups::OncePerName);
        found = scp::lintWholeList(bytes, scp::lintRules(list), &folder).size();
    }
    state.counters["findings"] = double(found);
    state.SetLabel(list == ListId::Items ? "items" : "gumps, 100 pictures");
}

// A digit typed into an entry's last field and deleted again, each edit
// followed by the findings of the 40 entries around it.
void BM_LintKeystroke(benchmark::State& state)
{
    const auto kind = ListId(state.range(0));
    const bool atEnd = state.range(1) != 0;
    EditedText list(listText(kind));
    Pictures pictures;
    scp::PictureFolder folder(pictures.dir.path());
    scp::ListLint lint(scp::lintRules(kind), &folder);
    lint.startReading(list);
    lint.readMore(list.size());
    QString& text = list.text;
    const qsizetype position = atEnd ? text.size() : text.size() / 2;
    const qsizetype span = 40 * (text.size() / kEntries);
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            text.remove(position, 1);
        else
            text.insert(position, u'7');
        lint.edited(position, typed ? 1 : 0, typed ? 0 : 1);
        typed = !typed;
        benchmark::DoNotOptimize(lint.findings(position - span / 2, position + span / 2));
    }
    state.SetLabel(std::string(kind == ListId::Items ? "items" : "gumps") +
                   (atEnd ? ", at the end" : ", in the middle"));
}

} // namespace

BENCHMARK(BM_LintWholeList)
    ->Arg(int(ListId::Gumps))
    ->Arg(int(ListId::Items))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LintWholeListBytes)
    ->Arg(int(ListId::Gumps))
    ->Arg(int(ListId::Items))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LintKeystroke)
    ->ArgsProduct({{int(ListId::Gumps), int(ListId::Items)}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
