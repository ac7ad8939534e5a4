#pragma once

#include "BusyPointer.h"
#include "marks/NameConflicts.h"
#include "metadata/ListingMetadata.h"
#include "metadata/MetadataSource.h"
#include "pairs/FileGroups.h"
#include "preview/FileNameTable.h"
#include "preview/HandNames.h"
#include "preview/NameRuleSteps.h"
#include "preview/NamingOptions.h"
#include "preview/Numbering.h"
#include "preview/NumberingOrder.h"
#include "preview/TableObserver.h"
#include "work/WorkRunner.h"

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace velmix {

// The table, the naming options and the pending flag, with the rules that change them:
// the toggle clicks, the edits of the numbering fields and the preview pipeline.
class PreviewSession
{
public:
    explicit PreviewSession(BusyPointer &busyPointer);

    [[nodiscard]] const FileNameTable &table() const { return m_table; }
    [[nodiscard]] const NamingOptions &options() const { return m_options; }
    [[nodiscard]] bool namesPending() const { return m_namesPending; }
    [[nodiscard]] bool isTicked(Toggle toggle) const;
    // The rules after the options (find and replace, cut and insert, title case, Cyrillic
    // to Latin), and why the find text does not compile as an expression (else empty).
    [[nodiscard]] const NameRules &nameRules() const { return m_ruleSteps.rules(); }
    [[nodiscard]] const QString &findError() const { return m_ruleSteps.findError(); }

    void setObserver(TableObserver *observer) { m_observer = observer; }
    // Where the files' dates and tags come from, once a field or the order needs them.
    void setMetadataSource(MetadataSource *source) { m_metadataSource = source; }
    // Where given, an expression runs there as long work the user can cancel, once it
    // outlasts QuietRebuild. A cancelled rebuild leaves the names as they were shown, and
    // the options and rules as the last finished rebuild, load or reset left them.
    void setWorkRunner(WorkRunner *runner) { m_runner = runner; }
    static constexpr std::chrono::milliseconds QuietRebuild{100};
    // The folder each listed file lies in, for {папка} and the counters that restart per folder.
    void setRowFolders(const RowFolders *folders) { m_metadata.setFolders(folders); }

    // Fills the table from the listed names, both columns alike. Every rebuild then marks
    // the rows the apply will refuse, judged by the folder's rules and the names of the
    // entries the listing leaves out.
    // With subfolders, `tree` tells each listed name's and each unlisted entry's folder,
    // and each name is judged against its own folder.
    struct ListedFolders
    {
        std::shared_ptr<const ListedTree> tree;
        std::vector<quint32> folderOfName;
        std::vector<quint32> folderOfUnlisted;
        std::vector<bool> folderRows; // per listed name, where folders are rows: a folder itself
    };
    void loadFileList(const NameColumn &listedNames, const FolderRules &rules = {},
                      const NameColumn &unlistedNames = {}, ListedFolders folders = {});
    // The folders of the listing loaded, in the listing's order; kept here alone, so the
    // folder each file lies in is read from them (RowFolders), not copied.
    [[nodiscard]] const ListedFolders &listedFolders() const { return m_folders; }
    void RebuildNewNames();
    // Forgets the files' dates and tags read so far and reads them again, as the names
    // and the order need them (the order falls back to by name where a cancel stops it).
    void rereadMetadata();
    void ToggleOption(Toggle toggle);
    // Puts every rule as given and rebuilds the preview at once; the expression and the
    // transliterator are made again only when their own settings changed.
    void setNameRules(const NameRules &rules);
    // Every option and every rule back to its default: off and empty.
    void ResetOptions();
    // Puts every option and rule as given, as if typed into each control, and rebuilds
    // the preview at once: a base name that ticks numbering as typed holds it on, as its
    // key release does, and a date order that could not be read keeps the order as it was.
    void setSettings(const NamingOptions &options, const NameRules &rules);
    void clearPending() { m_namesPending = false; }

    // Every edit of a field box, typed or pasted, reaches these at once; they do not
    // rebuild the preview (the key release of the base name, and numberingInputChanged,
    // decide that).
    void setBaseName(const QString &text);
    void setStartText(const QString &text);
    void setStepText(const QString &text);
    void setDigitWidthIndex(int index);
    // Puts the rows in that order, the order the numbers follow, and rebuilds a preview
    // already shown. By date taken reads the files' dates first; a cancel of that read
    // keeps the order as it was.
    void setNumberingOrder(NumberingOrder order);

    // The running number starts again in each folder, each day, both or neither; the
    // preview follows.
    void setNumberingRestarts(bool perFolder, bool perDay);
    // Files of one folder that go together (a raw picture and its JPEG, a Live Photo, a
    // film and its subtitles) are renamed as one, or each on its own; the rows and the
    // preview follow.
    void setPairs(bool on);
    [[nodiscard]] bool pairs() const { return m_pairs; }
    // The camera of the table's row, its file read where it was not yet; empty where the
    // file names none or a cancel stopped the read.
    [[nodiscard]] QString cameraAt(qsizetype row);
    // Moves the dates of the camera's files (every file's, for an empty camera) by
    // `minutes`, 0 taking its shift away; the date order and the preview follow.
    void setDateShift(const QString &camera, int minutes);
    // Sorts the rows by a column's names in natural order, or by the date column (rows
    // without a date last, ties as shown), up or down, and numbers them so
    // (NumberingOrder::AsShown). The dates stay shown while the rows keep an order that
    // came from them, until another order is chosen or a listing loaded.
    void sortRows(int column, bool descending);
    // Moves the rows, in their order, to stand before the row `before` (the row count: at
    // the end), and numbers them so; the place of the first moved row, or -1 for none.
    qsizetype moveRows(std::vector<qsizetype> rows, qsizetype before);

    void baseNameKeyReleased();
    // A new start, step or digit width: the preview follows while numbering is ticked,
    // and an emptied start or step reads "1" again after that rebuild.
    void numberingInputChanged();
    void digitWidthDoubleClicked() { RebuildNewNames(); }
    // A new name typed into the grid for a row, kept over the options and rules until
    // the listing is loaded again; an empty one gives the row back to them.
    void setHandName(qsizetype row, const QString &name);
    // Many at once (a list taken), the preview rebuilt once.
    void setHandNames(const std::vector<std::pair<qsizetype, QString>> &names);
    [[nodiscard]] const HandNames &handNames() const { return m_handNames; }

private:
    // The table takes the listed names in the numbering order; false, changing nothing,
    // where the dates that order needs were not read (a cancel).
    bool loadRows(NumberingOrder order, const NameColumn &listed);
    // Whether the order reads every file first.
    [[nodiscard]] static bool readsFiles(NumberingOrder order);
    // Whether the rows stand in an order the dates gave: by date taken, or as shown after it
    // or after a sort by the date column.
    [[nodiscard]] bool datesOrderRows() const
    {
        return m_options.Order == NumberingOrder::ByDateTaken || (m_options.Order == NumberingOrder::AsShown && m_datesInOrder);
    }
    // The table's rows by their dates, undated ones last; false where a cancel left files unread.
    bool sortRowsByDate(bool descending, std::vector<quint32> &rows);
    // The table's rows in that order (rows of the table as it is), numbered so.
    void showRowsAs(const std::vector<quint32> &rows);
    // The names in the listing's order, put back from the table's rows by their places in
    // the listing: the table holds the only copy, and the order is a permutation.
    [[nodiscard]] NameColumn listedNames() const;
    // The same as paths below the chosen folder, where the files of its subfolders are
    // listed: what the files' dates and tags are read by.
    [[nodiscard]] NameColumn listedPaths() const;
    // Marks the rows the apply will refuse, and gives taken names free ones as the rules ask.
    void markNewNames();
    // The table's rows: the listed names in `order` (places in the listing; empty for
    // the listing's order).
    void arrangeRows(const NameColumn &listed, std::vector<quint32> order);
    // The base name with its fields, the files' metadata read where it or the inserted text
    // needs it; whether {n} stands in either.
    bool applyBaseName(const RunningNumber &number);
    // Where the number restarts and stands in a name, each row's place in its count (the
    // dates read first, for a restart each day).
    void restartNumbers(RunningNumber &number);
    // The groups of the listed names, where files go together.
    void findGroups(const NameColumn &listed);
    // The metadata's dates follow the options' shifts; the date order is sorted again.
    void applyDateShifts();
    bool &flag(Toggle toggle);
    // The rules over the new names, on the work runner where an expression runs; false,
    // the table left as it is, where the user cancelled them.
    bool ruleNewNames(const RunningNumber &number);
    // What the names shown were made with, kept for a rebuild the user cancels.
    struct Settled
    {
        NamingOptions options;
        NameRules rules;
        HandNames handNames;
        bool numberingByTyping = false;
    };
    void settle() { m_settled = {m_options, m_ruleSteps.rules(), m_handNames, m_numberingByTyping}; }
    // After a cancelled rebuild: the table as it was shown, the settings as settled.
    void putBack(FileNameTable shown, bool namesPending);

    BusyPointer &m_busyPointer;
    FileNameTable m_table;
    NamingOptions m_options;
    NameRuleSteps m_ruleSteps;
    HandNames m_handNames;
    bool m_namesPending = false;
    bool m_numberingByTyping = false; // ticked by a key release, not by a click or a set
    bool m_numbersByDay = false; // the last rebuild's numbers restart on each day
    bool m_datesInOrder = false; // see datesOrderRows()
    TableObserver *m_observer = nullptr;
    FolderRules m_rules;
    NameColumn m_unlistedNames;
    ListedFolders m_folders; // in the listing's order
    std::optional<FolderNames> m_folderNames; // built on the first rebuild of a listing
    NameJudgement m_judgement;
    ListingMetadata m_metadata;
    bool m_pairs = false;
    FileGroups m_groups; // of the listing's places; empty while files go each on its own
    // The table's view of m_metadata.
    class MetadataDates : public RowDates
    {
    public:
        explicit MetadataDates(const ListingMetadata &metadata) : m_metadata(metadata) {}
        [[nodiscard]] bool read(qsizetype row) const override { return m_metadata.atRow(row) != nullptr; }
        [[nodiscard]] QString note(qsizetype row) const override;
        [[nodiscard]] bool byFileTime(qsizetype row) const override;
        [[nodiscard]] QDateTime date(qsizetype row) const override;

    private:
        const ListingMetadata &m_metadata;
    } m_dates{m_metadata};
    MetadataSource *m_metadataSource = nullptr;
    WorkRunner *m_runner = nullptr;
    Settled m_settled;
};

} // namespace velmix
