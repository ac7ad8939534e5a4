#pragma once

#include "metadata/DateChain.h"
#include "metadata/ListingMetadata.h"
#include "preview/FileNameTable.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace velmix {

// A base name with fields in braces: {дата}, {время}, {год}, {месяц}, {день},
// {дата:FORMAT} (Qt's date format letters), {исполнитель}, {название}, {альбом},
// {номер_трека}. Text outside the braces is kept; an unknown field stays as typed.
class NameFields
{
public:
    explicit NameFields(QStringView baseName);

    // The fields' names, without braces, in the order a list of them shows.
    [[nodiscard]] static QStringList names();
    // How many characters the base name may hold: more where it holds a known field.
    [[nodiscard]] static int limitOf(QStringView baseName);

    // Whether the base name holds anything in braces, known or not.
    [[nodiscard]] bool holdsFields() const { return m_holdsFields; }
    // Whether a field needs the file's date or tags.
    [[nodiscard]] bool needsMetadata() const { return m_needsMetadata; }
    // The fields as typed that no field is named so, in order, each once.
    [[nodiscard]] const QStringList &unknownFields() const { return m_unknown; }

    // The base name for one file; without its metadata (not read) every known field stays
    // as typed too.
    void expand(const RowMetadata *row, QString &out) const;

private:
    enum class Kind { Text, Unknown, Date, Time, Year, Month, Day, DateFormat, Artist, Title, Album, Track };
    struct Part
    {
        Kind kind;
        QString text; // the literal text or the custom format
        QString typed; // the field as typed, braces included
    };

    std::vector<Part> m_parts;
    QStringList m_unknown;
    bool m_holdsFields = false;
    bool m_needsMetadata = false;
};

// Every new name afresh: the base name with each row's own fields, then the current
// name's tail.
void ApplyFieldBaseName(FileNameTable &table, const NameFields &fields, const ListingMetadata &metadata);

} // namespace velmix
