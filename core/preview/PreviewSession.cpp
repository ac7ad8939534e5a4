#include "preview/PreviewSession.h"

#include "metadata/DateTakenOrder.h"
#include "preview/NameFields.h"
#include "preview/NameTransforms.h"
#include "preview/Numbering.h"
#include "text/CharacterLimit.h"
#include "text/NaturalSort.h"
#include "text/Surrogates.h"
#include "work/VectorRegisters.h"

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
    // The date order would read every file of each folder opened: it is chosen anew.
    if (m_options.Order == NumberingOrder::ByDateTaken)
        m_options.Order = NumberingOrder::ByName;
    (void)loadRows(m_options.Order, listedNames);
}

void PreviewSession::rereadMetadata()
{
    const NameColumn listed = listedNames(); // before the reset forgets the rows' order
    m_metadata.reset(listed.size());
    if (!loadRows(m_options.Order, listed)) {
        m_options.Order = NumberingOrder::ByName;
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
    case NumberingOrder::ByDateTaken:
        if (!listed.isEmpty()) {
            if (!m_metadataSource || !m_metadata.readMissing(*m_metadataSource, m_folders.tree ? listedPaths() : listed))
                return false;
            rows = dateTakenOrder(m_metadata.byListing());
        }
        break;
    }
    arrangeRows(listed, std::move(rows));
    return true;
}

void PreviewSession::setNumberingOrder(NumberingOrder order)
{
    if (order == m_options.Order || !loadRows(order, listedNames()))
        return;
    m_options.Order = order;
    if (m_namesPending)
        RebuildNewNames();
    else if (order == NumberingOrder::ByDateTaken)
        m_table.setFields(&m_dates, {}, false, FileNameTable::DatesUse::Order); // each row tells where its date came from
}

void PreviewSession::RebuildNewNames()
{
    // Decided from the table itself: an empty new name must never freeze the preview.
    if (!m_table.holdsFiles())
        return;
    m_namesPending = true;
    BusyGuard busy(m_busyPointer);
    clearUpperVectorHalves(); // whatever the window ran last may have left them in use
    if (m_options.StepText.isEmpty())
        m_options.StepText = QStringLiteral("1");
    if (m_options.StartText.isEmpty())
        m_options.StartText = QStringLiteral("1");
    RunningNumber number(m_options.StartText, m_options.StepText, m_options.DigitWidthIndex);
    number.skipRows(m_handNames.rows());
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
    m_ruleSteps.apply(m_table, m_metadata, number);
    m_handNames.applyTo(m_table);
    markNewNames();
    if (m_observer)
        m_observer->newNamesRebuilt();
}

bool PreviewSession::applyBaseName(const RunningNumber &number)
{
    const bool dateOrder = m_options.Order == NumberingOrder::ByDateTaken;
    const NameFields *inserted = m_ruleSteps.insertFields();
    if (!m_options.BaseName.contains(u'{') && !inserted) { // no fields: the names as they always were
        ApplyBaseName(m_table, m_options.BaseName);
        m_table.setFields(dateOrder ? &m_dates : nullptr, {}, false, FileNameTable::DatesUse::Order);
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
    const bool usesDate = base.usesDate() || (inserted && inserted->usesDate());
    using DatesUse = FileNameTable::DatesUse;
    m_table.setFields(dateOrder || needsMetadata ? &m_dates : nullptr, std::move(unknown), needsMetadata,
                      dateOrder ? DatesUse::Order : usesDate ? DatesUse::Fields : DatesUse::None);
    return base.placesNumber() || (inserted && inserted->placesNumber());
}

void PreviewSession::arrangeRows(const NameColumn &listed, std::vector<quint32> order)
{
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
    m_handNames.follow(before, m_table.currentNames());
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
        m_judgement.fates.assign(size_t(m_table.fileCount()), RowFate::Stays);
        m_table.setFates(m_judgement.fates);
        return;
    }
    if (!m_folderNames)
        m_folderNames.emplace(m_table.currentNames(), m_rules, m_unlistedNames,
                              FolderLayout{.listed = m_table.folderOfRow(), .unlisted = m_folders.folderOfUnlisted,
                                           .rules = m_folders.tree ? m_folders.tree->rules : std::vector<FolderRules>()});
    judgeNewNames(*m_folderNames, m_table.newNames(), m_judgement);
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
}

void PreviewSession::setHandName(qsizetype row, const QString &name)
{
    if (row < 0 || row >= m_table.fileCount())
        return;
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

bool PreviewSession::MetadataDates::byFileTime(qsizetype row) const
{
    const RowMetadata *read = m_metadata.atRow(row);
    return read && read->source == DateSource::ModificationTime;
}

} // namespace velmix
