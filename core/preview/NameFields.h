#pragma once

#include "metadata/DateChain.h"
#include "metadata/ListingMetadata.h"
#include "preview/FileNameTable.h"
#include "preview/Numbering.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace velmix {

// A base name or an inserted text with fields in braces: {дата}, {время}, {год}, {месяц},
// {день}, {дата:FORMAT} (Qt's date format letters), {исполнитель}, {название}, {альбом},
// {номер_трека}, {камера}, {папка} (the name of the file's folder), and the running number:
// {n} as wide as the options choose, {n:W} W digits wide (1 to 9). Text outside the braces
// is kept; an unknown field, {n:0} among them, stays as typed.
class NameFields
{
public:
    explicit NameFields(QStringView text);

    // The fields' names, without braces, in the order a list of them shows.
    [[nodiscard]] static QStringList names();
    // How many characters the text may hold: more where it holds a known field.
    [[nodiscard]] static int limitOf(QStringView text);

    // Whether the text holds anything in braces, known or not.
    [[nodiscard]] bool holdsFields() const { return m_holdsFields; }
    // Whether it holds a field it knows.
    [[nodiscard]] bool holdsKnownField() const { return m_needsMetadata || m_placesNumber || m_placesFolder; }
    // Whether a field needs the file's date or tags.
    [[nodiscard]] bool needsMetadata() const { return m_needsMetadata; }
    // Whether a field takes the file's date.
    [[nodiscard]] bool usesDate() const { return m_usesDate; }
    // Whether the running number stands in it.
    [[nodiscard]] bool placesNumber() const { return m_placesNumber; }
    // Whether it is made of tag fields alone, with nothing but blanks and signs between
    // them: the tags give each file a name of its own.
    [[nodiscard]] bool tagsAlone() const { return m_tagsAlone; }
    // The fields as typed that no field is named so, in order, each once.
    [[nodiscard]] const QStringList &unknownFields() const { return m_unknown; }

    // The text for the table's row `row`; without its file's metadata (not read) every
    // field of a date or a tag stays as typed.
    void expand(const ListingMetadata &metadata, qsizetype row, const RunningNumber &number, QString &out) const;

private:
    // The date's fields stand together, from Date to DateFormat.
    enum class Kind { Text, Unknown, Number, Folder, Date, Time, Year, Month, Day, DateFormat, Artist, Title, Album,
                      Track, Camera };
    struct Part
    {
        Kind kind;
        QString text; // the literal text or the custom format
        QString typed; // the field as typed, braces included
        int width = 0; // the number's digits; 0 for the options' width
    };
    [[nodiscard]] static Part field(QStringView typed);

    std::vector<Part> m_parts;
    QStringList m_unknown;
    bool m_holdsFields = false;
    bool m_needsMetadata = false;
    bool m_usesDate = false;
    bool m_placesNumber = false;
    bool m_placesFolder = false;
    bool m_tagsAlone = false;
};

// Whether typing this base name ticks numbering: not for "*" and "-", which keep the files'
// names, nor for tag fields alone.
[[nodiscard]] bool typingTicksNumbering(QStringView baseName);

// Every new name afresh: the base name with each row's own fields, then the current
// name's tail.
void ApplyFieldBaseName(FileNameTable &table, const NameFields &fields, const ListingMetadata &metadata,
                        const RunningNumber &number);

} // namespace velmix
