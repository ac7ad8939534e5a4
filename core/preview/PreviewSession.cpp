#include "preview/PreviewSession.h"

#include "conflicts/ConflictFixes.h"
#include "metadata/DateTakenOrder.h"
#include "preview/GroupNames.h"
#include "preview/NameFields.h"
#include "preview/NameTransforms.h"
#include "preview/Numbering.h"
#include "preview/NumberingRestarts.h"
#include "text/CharacterLimit.h"
#include "text/NaturalSort.h"
#include "text/Surrogates.h"
#include "work/VectorRegisters.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace velmix {

PreviewSession::PreviewSession(BusyPointer &busyPointer)
    : m_busyPointer(busyPointer)
{
    m_table.setHandNames(&m_handNames);
}

bool &PreviewSession::flag(Toggle toggle)
{
    switch (toggle) {
    case Toggle::UpperCase: return m_options.UpperCase;
    case Toggle::LowerCase: return m_options.LowerCase;
    case Toggle::FirstLetterCapital: return m_options.FirstLetterCapital;
    case Toggle::SpacesToUnderscores: return m_options.SpacesToUnderscores;
    case Toggle::UnderscoresToSpaces: return m_options.UnderscoresToSpaces;
    case Toggle::Numbering: return m_options.Numbering;
    }
    Q_UNREACHABLE();
    return m_options.Numbering;
}

bool PreviewSession::isTicked(Toggle toggle) const
{
    return const_cast<PreviewSession *>(this)->flag(toggle);
}

void PreviewSession::loadFileList(const NameColumn &listedNames, const FolderRules &rules,
                                  const NameColumn &unlistedNames, ListedFolders folders)
{
    m_rules = rules;
    m_unlistedNames = unlistedNames;
    m_folders = std::move(folders);
    m_metadata.reset(listedNames.size()); // a new listing reads its files afresh
    m_handNames.clear();
    m_table.setFields(nullptr, {}, false, FileNameTable::DatesUse::None);
    m_datesInOrder = false;
    findGroups(listedNames);
    // The orders that read every file would do so for each folder opened: they are chosen anew.
    if (readsFiles(m_options.Order))
        m_options.Order = NumberingOrder::ByName;
    (void)loadRows(m_options.Order, listedNames);
    settle();
}

void PreviewSession::rereadMetadata()
{
    const NameColumn listed = listedNames(); // before the reset forgets the rows' order
    const std::vector<quint32> shown = m_metadata.order();
    m_metadata.reset(listed.size());
    if (m_options.Order == NumberingOrder::AsShown)
        m_metadata.setOrder(shown);
    if (!loadRows(m_options.Order, listed)) {
        m_options.Order = NumberingOrder::ByName;
        m_datesInOrder = false;
        (void)loadRows(m_options.Order, listed);
    }
    RebuildNewNames();
}

NameColumn PreviewSession::listedNames() const
{
    const std::vector<quint32> &order = m_metadata.order();
    if (order.empty())
        return m_table.currentNames();
    std::vector<quint32> rowOf(order.size());
    for (size_t row = 0; row < order.size(); ++row)
        rowOf[order[row]] = quint32(row);
    NameColumn listed = m_table.currentNames();
    listed.reorder(rowOf);
    return listed;
}

NameColumn PreviewSession::listedPaths() const
{
    NameColumn listed = listedNames();
    if (!m_folders.tree)
        return listed;
    NameColumn paths;
    for (qsizetype row = 0; row < listed.size(); ++row)
        paths.append(m_folders.tree->path(m_folders.folderOfName[size_t(row)], listed.at(row)));
    return paths;
}

bool PreviewSession::loadRows(NumberingOrder order, const NameColumn &listed)
{
    std::optional<BusyGuard> busy;
    if (!listed.isEmpty())
        busy.emplace(m_busyPointer);
    std::vector<quint32> rows;
    switch (order) {
    case NumberingOrder::ByName:
        break;
    case NumberingOrder::ByNumbersInName:
        rows = naturalOrder(listed);
        break;
    case NumberingOrder::AsShown:
        rows = m_metadata.order(); // the rows stay where they are
        break;
    case NumberingOrder::ByReverseName:
        rows.resize(size_t(listed.size()));
        std::iota(rows.rbegin(), rows.rend(), 0u);
        break;
    case NumberingOrder::ByDateTaken:
    case NumberingOrder::BySize:
    case NumberingOrder::ByModified:
        if (!listed.isEmpty()) {
            if (!m_metadataSource || !m_metadata.readMissing(*m_metadataSource, m_folders.tree ? listedPaths() : listed))
                return false;
            rows = order == NumberingOrder::ByDateTaken ? dateTakenOrder(m_metadata.byListingAsGroups())
                   : fileFactOrder(m_metadata.byListing(),
                                   order == NumberingOrder::BySize ? FileFact::Size : FileFact::ModificationTime);
        }
        break;
    }
    arrangeRows(listed, std::move(rows));
    return true;
}

bool PreviewSession::readsFiles(NumberingOrder order)
{
    return order == NumberingOrder::ByDateTaken || order == NumberingOrder::BySize || order == NumberingOrder::ByModified;
}

void PreviewSession::sortRows(int column, bool descending)
{
    if (!m_table.holdsFiles())
        return;
    std::vector<quint32> rows;
    if (column == FileNameTable::DateTaken) {
        if (!sortRowsByDate(descending, rows))
            return;
        m_datesInOrder = true;
    } else {
        rows = naturalOrder(column == FileNameTable::NewName ? m_table.newNames() : m_table.currentNames());
        if (descending)
            std::reverse(rows.begin(), rows.end());
    }
    showRowsAs(rows);
}

bool PreviewSession::sortRowsByDate(bool descending, std::vector<quint32> &rows)
{
    // Read already wherever the column shows; the read is for a call from elsewhere.
    if (!m_metadata.complete() && (!m_metadataSource || !m_metadata.readMissing(*m_metadataSource, listedPaths())))
        return false;
    const qsizetype count = m_table.fileCount();
    std::vector<std::optional<qint64>> dates(static_cast<size_t>(count));
    for (qsizetype row = 0; row < count; ++row) {
        if (const RowMetadata *read = m_metadata.atRow(row); read && read->date.isValid())
            dates[size_t(row)] = read->date.toMSecsSinceEpoch();
    }
    rows.resize(size_t(count));
    std::iota(rows.begin(), rows.end(), 0u);
    std::stable_sort(rows.begin(), rows.end(), [&](quint32 a, quint32 b) {
        const std::optional<qint64> &x = dates[a];
        const std::optional<qint64> &y = dates[b];
        if (!x || !y)
            return x && !y;
        return descending ? *y < *x : *x < *y;
    });
    return true;
}

qsizetype PreviewSession::moveRows(std::vector<qsizetype> rows, qsizetype before)
{
    const qsizetype count = m_table.fileCount();
    std::erase_if(rows, [&](qsizetype row) { return row < 0 || row >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    before = std::clamp<qsizetype>(before, 0, count);
    if (rows.empty())
        return -1;
    std::vector<bool> moving(size_t(count), false);
    for (const qsizetype row : rows)
        moving[size_t(row)] = true;
    std::vector<quint32> order;
    order.reserve(size_t(count));
    qsizetype first = -1;
    for (qsizetype row = 0; row <= count; ++row) {
        if (row == before) {
            first = qsizetype(order.size());
            for (const qsizetype moved : rows)
                order.push_back(quint32(moved));
        }
        if (row < count && !moving[size_t(row)])
            order.push_back(quint32(row));
    }
    showRowsAs(order);
    return first;
}

void PreviewSession::showRowsAs(const std::vector<quint32> &rows)
{
    // From rows of the table to places in the listing, which the order holds.
    std::vector<quint32> places(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        places[i] = m_metadata.listed(qsizetype(rows[i]));
    const NameColumn listed = listedNames();
    m_options.Order = NumberingOrder::AsShown;
    arrangeRows(listed, std::move(places));
    if (m_namesPending)
        RebuildNewNames();
}

void PreviewSession::setNumberingOrder(NumberingOrder order)
{
    if (order == m_options.Order || !loadRows(order, listedNames()))
        return;
    m_options.Order = order;
    m_datesInOrder = datesOrderRows();
    if (m_namesPending) {
        RebuildNewNames();
        return;
    }
    // No names rebuilt: each row tells where its date came from while the order uses them.
    const bool dated = datesOrderRows();
    m_table.setFields(dated ? &m_dates : nullptr, {}, false,
                      dated ? FileNameTable::DatesUse::Order : FileNameTable::DatesUse::None);
    if (m_observer)
        m_observer->newNamesRebuilt();
}

void PreviewSession::RebuildNewNames()
{
    // Decided from the table itself: an empty new name must never freeze the preview.
    if (!m_table.holdsFiles())
        return;
    // Only an expression can take long enough to be cancelled.
    std::optional<FileNameTable> shown;
    const bool pendingBefore = m_namesPending;
    if (m_runner && m_ruleSteps.runsExpression()) {
        shown.emplace(m_table);
        shown->spareColumn() = NameColumn(); // the rebuild's spare keeps its own memory
    }
    m_namesPending = true;
    BusyGuard busy(m_busyPointer);
    clearUpperVectorHalves(); // whatever the window ran last may have left them in use
    if (m_options.StepText.isEmpty())
        m_options.StepText = QStringLiteral("1");
    if (m_options.StartText.isEmpty())
        m_options.StartText = QStringLiteral("1");
    RunningNumber number(m_options.StartText, m_options.StepText, m_options.DigitWidthIndex);
    restartNumbers(number);
    // Where {n} stands, the number goes there and not also at the end.
    if (!applyBaseName(number) && m_options.Numbering)
        ApplyNumbering(m_table, number);
    if (m_options.UpperCase)
        ToUpperCase(m_table);
    if (m_options.LowerCase)
        ToLowerCase(m_table);
    if (m_options.SpacesToUnderscores)
        ReplaceSpaces(m_table);
    if (m_options.UnderscoresToSpaces)
        ReplaceUnderscores(m_table);
    if (m_options.FirstLetterCapital)
        CapitalizeFirstLetter(m_table);
    if (!ruleNewNames(number)) {
        putBack(std::move(*shown), pendingBefore);
        return;
    }
    m_handNames.applyTo(m_table);
    carryGroupStems(m_table, m_handNames);
    markNewNames();
    settle();
    if (m_observer)
        m_observer->newNamesRebuilt();
}

bool PreviewSession::ruleNewNames(const RunningNumber &number)
{
    if (!m_runner || !m_ruleSteps.runsExpression()) {
        m_ruleSteps.apply(m_table, m_metadata, number);
        return true;
    }
    WorkProgress progress;
    const NameColumn &names = m_table.newNames();
    NameColumn &out = m_table.spareColumn();
    std::optional<std::vector<qsizetype>> bounded =
        m_runner->run(WorkKind::MatchingExpression, progress, QuietRebuild,
                      [&] { return m_ruleSteps.rule(names, out, m_metadata, number, &progress, m_table.folderRows()); });
    if (!bounded)
        return false;
    m_table.takeSpareAsNewNames(); // here, on the window's thread, which paints the names
    m_table.setBoundedRows(std::move(*bounded));
    return true;
}

void PreviewSession::putBack(FileNameTable shown, bool namesPending)
{
    m_table = std::move(shown);
    m_namesPending = namesPending;
    // The rows stay in the order they are in, and the dates as the shifts moved them.
    const NumberingOrder order = m_options.Order;
    auto shifts = std::move(m_options.Shifts);
    m_options = m_settled.options;
    m_options.Order = order;
    m_options.Shifts = std::move(shifts);
    if (m_settled.rules != m_ruleSteps.rules())
        m_ruleSteps.update(m_settled.rules);
    m_handNames = m_settled.handNames;
    m_numberingByTyping = m_settled.numberingByTyping;
    if (m_observer)
        m_observer->newNamesRebuilt();
}

bool PreviewSession::applyBaseName(const RunningNumber &number)
{
    const bool dateOrder = datesOrderRows();
    if (dateOrder && m_metadataSource && !m_metadata.complete())
        (void)m_metadata.readMissing(*m_metadataSource, listedPaths()); // read again after a reread; a cancel leaves them unread
    const NameFields *inserted = m_ruleSteps.insertFields();
    using DatesUse = FileNameTable::DatesUse;
    if (!m_options.BaseName.contains(u'{') && !inserted) { // no fields: the names as they always were
        ApplyBaseName(m_table, m_options.BaseName);
        m_table.setFields(dateOrder || m_numbersByDay ? &m_dates : nullptr, {}, m_numbersByDay,
                          dateOrder ? DatesUse::Order : DatesUse::Fields);
        return false;
    }
    const NameFields base(m_options.BaseName);
    const bool needsMetadata = base.needsMetadata() || (inserted && inserted->needsMetadata());
    if (needsMetadata && m_metadataSource)
        (void)m_metadata.readMissing(*m_metadataSource, listedPaths()); // a cancel leaves rows unread, marked
    if (base.holdsFields())
        ApplyFieldBaseName(m_table, base, m_metadata, number);
    else
        ApplyBaseName(m_table, m_options.BaseName);
    QStringList unknown = base.unknownFields();
    for (const QString &field : inserted ? inserted->unknownFields() : QStringList())
        if (!unknown.contains(field))
            unknown.append(field);
    const bool usesDate = base.usesDate() || (inserted && inserted->usesDate()) || m_numbersByDay;
    m_table.setFields(dateOrder || needsMetadata || m_numbersByDay ? &m_dates : nullptr, std::move(unknown),
                      needsMetadata || m_numbersByDay,
                      dateOrder ? DatesUse::Order : usesDate ? DatesUse::Fields : DatesUse::None);
    return base.placesNumber() || (inserted && inserted->placesNumber());
}

void PreviewSession::restartNumbers(RunningNumber &number)
{
    m_numbersByDay = false;
    // A group of files that go together counts once.
    const std::vector<qsizetype> notCounted = rowsNotCounted(m_table, m_handNames.rows());
    number.skipRows(notCounted);
    const bool restarts = m_options.RestartPerFolder || m_options.RestartPerDay;
    if (!restarts && m_table.groupLeads().empty())
        return;
    const NameFields *inserted = m_ruleSteps.insertFields();
    const bool numbered = m_options.Numbering || NameFields(m_options.BaseName).placesNumber()
                          || (inserted && inserted->placesNumber());
    if (!numbered)
        return;
    m_numbersByDay = m_options.RestartPerDay;
    if (m_numbersByDay && m_metadataSource && !m_metadata.complete())
        (void)m_metadata.readMissing(*m_metadataSource, listedPaths()); // a cancel leaves rows unread, marked
    std::vector<quint32> places = restartedPlaces(m_metadata, m_table.fileCount(), notCounted,
                                                  {m_options.RestartPerFolder, m_options.RestartPerDay});
    shareGroupPlaces(m_table, places);
    number.setPlaces(std::move(places));
}

void PreviewSession::setPairs(bool on)
{
    if (on == m_pairs)
        return;
    m_pairs = on;
    const NameColumn listed = listedNames();
    findGroups(listed);
    if (!loadRows(m_options.Order, listed)) { // the dates read already: no read, no cancel
        m_options.Order = NumberingOrder::ByName;
        (void)loadRows(m_options.Order, listed);
    }
    if (m_namesPending)
        RebuildNewNames();
}

void PreviewSession::findGroups(const NameColumn &listed)
{
    m_groups = {};
    if (m_pairs) {
        std::vector<bool> caseBlind{m_rules.ignoresCase};
        if (m_folders.tree) {
            caseBlind.clear();
            for (const FolderRules &rules : m_folders.tree->rules)
                caseBlind.push_back(rules.ignoresCase);
        }
        m_groups = FileGroups(listed, m_folders.folderOfName, caseBlind, m_folders.folderRows);
    }
    m_metadata.setGroups(m_groups.isEmpty() ? nullptr : &m_groups);
}

void PreviewSession::setNumberingRestarts(bool perFolder, bool perDay)
{
    m_options.RestartPerFolder = perFolder;
    m_options.RestartPerDay = perDay;
    RebuildNewNames();
}

QString PreviewSession::cameraAt(qsizetype row)
{
    if (row < 0 || row >= m_table.fileCount() || !m_metadataSource)
        return {};
    BusyGuard busy(m_busyPointer);
    if (!m_metadata.readRow(*m_metadataSource, ListedTree::withPrefix(m_table.folderPrefix(row), m_table.currentNames().at(row)), row))
        return {};
    return m_metadata.atRow(row)->camera;
}

void PreviewSession::setDateShift(const QString &camera, int minutes)
{
    m_options.Shifts.set(camera, minutes);
    applyDateShifts();
    if (m_namesPending)
        RebuildNewNames();
}

void PreviewSession::applyDateShifts()
{
    // The rows read already are sorted again; none is read for it.
    if (m_metadata.setDateShifts(m_options.Shifts) && m_options.Order == NumberingOrder::ByDateTaken
        && m_metadata.complete())
        (void)loadRows(NumberingOrder::ByDateTaken, listedNames());
}

void PreviewSession::arrangeRows(const NameColumn &listed, std::vector<quint32> order)
{
    order = m_groups.together(order, listed.size()); // a group's files stand together
    NameColumn names = listed;
    if (!order.empty())
        names.reorder(order);
    m_metadata.setOrder(std::move(order));
    m_folderNames.reset(); // built from the rows in their order
    m_judgement = {};
    if (m_observer)
        m_observer->tableAboutToReload();
    const NameColumn before = m_table.currentNames();
    m_table.load(names);
    std::vector<quint32> folderOfRow;
    if (m_folders.tree) {
        const std::vector<quint32> &places = m_metadata.order();
        folderOfRow.resize(m_folders.folderOfName.size());
        for (size_t row = 0; row < folderOfRow.size(); ++row)
            folderOfRow[row] = m_folders.folderOfName[places.empty() ? row : places[row]];
    }
    m_table.setFolders(m_folders.tree, std::move(folderOfRow));
    std::vector<bool> folderRows;
    if (!m_folders.folderRows.empty()) {
        const std::vector<quint32> &places = m_metadata.order();
        folderRows.resize(m_folders.folderRows.size());
        for (size_t row = 0; row < folderRows.size(); ++row)
            folderRows[row] = m_folders.folderRows[places.empty() ? row : places[row]];
    }
    m_table.setFolderRows(std::move(folderRows));
    m_table.setGroupLeads(groupLeadsOf(m_groups, m_metadata.order(), m_table.fileCount()));
    m_handNames.follow(before, m_table.currentNames());
    m_settled.handNames.follow(before, m_table.currentNames());
    m_table.setFolderWriteError(m_rules.writeError);
    if (m_observer)
        m_observer->tableReloaded();
}

void PreviewSession::markNewNames()
{
    // Every file keeps its name, as after a reload (steps write new names elsewhere, so
    // shared storage means the same names): nothing to judge, and a large listing's index
    // of names is not built on the window's thread until a row asks for another name.
    if (m_table.newNames().sharesStorageWith(m_table.currentNames())) {
        m_table.setFixedRows({});
        m_judgement.fates.assign(size_t(m_table.fileCount()), RowFate::Stays);
        m_table.setFates(m_judgement.fates);
        return;
    }
    if (!m_folderNames)
        m_folderNames.emplace(m_table.currentNames(), m_rules, m_unlistedNames,
                              FolderLayout{.listed = m_table.folderOfRow(), .unlisted = m_folders.folderOfUnlisted,
                                           .rules = m_folders.tree ? m_folders.tree->rules : std::vector<FolderRules>()});
    judgeNewNames(*m_folderNames, m_table.newNames(), m_judgement);
    // The files are read only once a burst asks, and only once: a cancel leaves them unread.
    bool asked = false;
    const auto subSecondOf = [&](qint32 row) {
        if (!asked && m_metadataSource && !m_metadata.complete())
            (void)m_metadata.readMissing(*m_metadataSource, listedPaths());
        asked = true;
        const RowMetadata *read = m_metadata.atRow(row);
        return read ? read->subSecond : QString();
    };
    m_table.setFixedRows(fixTakenNames(*m_folderNames, m_table.newNamesForEdit(), m_judgement,
                                       m_ruleSteps.rules().conflicts, subSecondOf, m_table.folderRows(),
                                       m_table.groupLeads()));
    (void)holdRefusedGroups(m_table, *m_folderNames, m_judgement);
    m_table.setFates(m_judgement.fates);
}

void PreviewSession::ToggleOption(Toggle toggle)
{
    bool &ticked = flag(toggle);
    if (toggle == Toggle::Numbering) {
        m_numberingByTyping = false; // the user's own choice from now on
        if (!ticked)
            ticked = true;
        else if (const NameFields fields(m_options.BaseName);
                 keepsOwnNames(m_options.BaseName) || (fields.holdsFields() && !fields.placesNumber()))
            ticked = false; // fields can give every file a name of its own; {n} holds the number
        else
            return; // a base name holds numbering on, silently
        RebuildNewNames();
        return;
    }
    if (!ticked) {
        ticked = true;
        switch (toggle) {
        case Toggle::UpperCase:
            m_options.LowerCase = m_options.FirstLetterCapital = false;
            break;
        case Toggle::LowerCase:
            m_options.UpperCase = m_options.FirstLetterCapital = false;
            break;
        case Toggle::FirstLetterCapital:
            m_options.UpperCase = m_options.LowerCase = false;
            break;
        case Toggle::SpacesToUnderscores:
            m_options.UnderscoresToSpaces = false;
            break;
        case Toggle::UnderscoresToSpaces:
            m_options.SpacesToUnderscores = false;
            break;
        case Toggle::Numbering:
            break;
        }
    } else {
        ticked = false;
    }
    RebuildNewNames();
}

void PreviewSession::ResetOptions()
{
    // The chosen width and order stay.
    const NamingOptions chosen = m_options;
    m_options = NamingOptions();
    m_options.DigitWidthIndex = chosen.DigitWidthIndex;
    m_options.Order = chosen.Order;
    m_ruleSteps = NameRuleSteps();
    m_handNames.clear();
    m_numberingByTyping = false;
    applyDateShifts();
    settle();
}

void PreviewSession::setHandName(qsizetype row, const QString &name)
{
    if (row < 0 || row >= m_table.fileCount())
        return;
    m_handNames.set(row, name);
    RebuildNewNames();
}

void PreviewSession::setHandNames(const std::vector<std::pair<qsizetype, QString>> &names)
{
    for (const auto &[row, name] : names)
        if (row >= 0 && row < m_table.fileCount())
            m_handNames.set(row, name);
    RebuildNewNames();
}

void PreviewSession::setNameRules(const NameRules &rules)
{
    if (rules == m_ruleSteps.rules())
        return;
    m_ruleSteps.update(rules);
    RebuildNewNames();
}

void PreviewSession::setSettings(const NamingOptions &options, const NameRules &rules)
{
    // The shifts first: a date order sorts by the shifted dates.
    m_options.Shifts = options.Shifts;
    applyDateShifts();
    setNumberingOrder(options.Order);
    const NumberingOrder order = m_options.Order;
    m_options = options;
    m_options.Order = order;
    setBaseName(options.BaseName);
    setStartText(options.StartText);
    if (options.DigitWidthIndex < 0 || options.DigitWidthIndex >= NamingOptions::DigitWidthCount)
        m_options.DigitWidthIndex = 0;
    if (typingTicksNumbering(m_options.BaseName))
        m_options.Numbering = true;
    m_numberingByTyping = false;
    if (rules != m_ruleSteps.rules())
        m_ruleSteps.update(rules);
    RebuildNewNames();
}

void PreviewSession::setBaseName(const QString &text)
{
    m_options.BaseName = firstCharacters(text, NameFields::limitOf(text));
}

void PreviewSession::setStartText(const QString &text)
{
    m_options.StartText = text.left(NamingOptions::StartTextLimit);
}

void PreviewSession::setStepText(const QString &text)
{
    m_options.StepText = text;
}

void PreviewSession::setDigitWidthIndex(int index)
{
    if (index >= 0 && index < NamingOptions::DigitWidthCount)
        m_options.DigitWidthIndex = index;
}

void PreviewSession::baseNameKeyReleased()
{
    // Typed key by key, a name of tags alone passes through texts that tick numbering
    // ("{и"): the tick typing made goes again once the tags alone stand; one clicked stays.
    if (typingTicksNumbering(m_options.BaseName)) {
        m_numberingByTyping = m_numberingByTyping || !m_options.Numbering;
        m_options.Numbering = true;
    } else if (m_numberingByTyping && NameFields(m_options.BaseName).tagsAlone()) {
        m_options.Numbering = m_numberingByTyping = false;
    }
    RebuildNewNames();
}

void PreviewSession::numberingInputChanged()
{
    if (m_options.Numbering)
        RebuildNewNames();
}

QString PreviewSession::MetadataDates::note(qsizetype row) const
{
    const RowMetadata *read = m_metadata.atRow(row);
    return read ? dateNote(*read) : QString();
}

QDateTime PreviewSession::MetadataDates::date(qsizetype row) const
{
    const RowMetadata *read = m_metadata.atRow(row);
    return read ? read->date : QDateTime();
}

bool PreviewSession::MetadataDates::byFileTime(qsizetype row) const
{
    const RowMetadata *read = m_metadata.atRow(row);
    return read && read->source == DateSource::ModificationTime;
}

} // namespace velmix
