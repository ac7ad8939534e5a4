#include "metadata/CameraName.h"

#include <QStringList>

#include <utility>

namespace velmix {
namespace {

// Runs of blanks (and the zeros some cameras pad with) become one blank; none at either end.
QString tidy(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        if (c.isSpace() || c.isNull() || c.category() == QChar::Other_Control) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out.append(u' ');
        blank = false;
        out.append(c);
    }
    return out;
}

// The words makers put after their name, which say nothing of the camera.
bool companyWord(QStringView word)
{
    static const QStringView words[] = {u"CORPORATION", u"CORP", u"COMPANY", u"CO", u"LTD", u"LIMITED", u"INC",
                                        u"AG", u"GMBH", u"IMAGING", u"OPTICAL", u"ELECTRONICS", u"CAMERA"};
    for (QStringView known : words) {
        if (word.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The make's words without punctuation around them ("CO.,LTD." is two words, CO and LTD).
QStringList wordsOf(QStringView make)
{
    QStringList words;
    QString word;
    for (QChar c : make) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'&') {
            word.append(c);
        } else if (!word.isEmpty()) {
            words.append(std::exchange(word, {}));
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

// Whether the model begins with the word as a word of its own: "Canon EOS", "SAMSUNG-SM-G900A",
// not "Canonet".
bool beginsWithWord(QStringView model, QStringView word)
{
    return model.startsWith(word, Qt::CaseInsensitive)
           && (model.size() == word.size() || !model[word.size()].isLetterOrNumber());
}

} // namespace

QString cameraName(QStringView make, QStringView model)
{
    const QString cleanModel = tidy(model);
    QStringList brand = wordsOf(tidy(make));
    while (!brand.isEmpty() && companyWord(brand.last()))
        brand.removeLast();
    // A make of company words alone keeps them: it names nothing else.
    if (brand.isEmpty())
        brand = wordsOf(tidy(make));
    for (const QString &word : std::as_const(brand)) {
        if (beginsWithWord(cleanModel, word))
            return cleanModel;
    }
    const QString maker = brand.join(u' ');
    if (cleanModel.isEmpty() || maker.isEmpty())
        return cleanModel.isEmpty() ? maker : cleanModel;
    return maker + u' ' + cleanModel;
}

} // namespace velmix
