#include "metadata/DateShifts.h"

#include <algorithm>

namespace velmix {
namespace {

// Cameras are named as they write themselves, but a user types them in any case.
bool sameCamera(QStringView a, QStringView b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

std::optional<int> digitsOf(QStringView text, qsizetype least, qsizetype most)
{
    if (text.size() < least || text.size() > most)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

void DateShifts::set(const QString &camera, int minutes)
{
    const auto same = [&](const DateShift &shift) { return sameCamera(shift.camera, camera); };
    m_list.removeIf(same);
    if (minutes != 0)
        m_list.append({camera.trimmed(), minutes});
}

int DateShifts::ownMinutesOf(QStringView camera) const
{
    const auto found = std::find_if(m_list.begin(), m_list.end(),
                                    [&](const DateShift &shift) { return sameCamera(shift.camera, camera); });
    return found == m_list.end() ? 0 : found->minutes;
}

int DateShifts::minutesFor(QStringView camera) const
{
    if (!camera.trimmed().isEmpty()) {
        const auto own = std::find_if(m_list.begin(), m_list.end(),
                                      [&](const DateShift &shift) { return sameCamera(shift.camera, camera); });
        if (own != m_list.end())
            return own->minutes;
    }
    return ownMinutesOf(u"");
}

QString DateShifts::offsetText(int minutes)
{
    const int magnitude = std::abs(minutes);
    return QStringLiteral("%1%2:%3")
        .arg(QChar(minutes < 0 ? u'-' : u'+'))
        .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int> DateShifts::parseOffset(QStringView text)
{
    text = text.trimmed();
    int sign = 1;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-' || text[0] == u'−')) {
        sign = text[0] == u'+' ? 1 : -1;
        text = text.sliced(1);
    }
    // Hours alone ("+1") are whole hours.
    const qsizetype colon = text.indexOf(u':');
    const std::optional<int> hours = digitsOf(colon < 0 ? text : text.first(colon), 1, 3);
    const std::optional<int> minutes = colon < 0 ? 0 : digitsOf(text.sliced(colon + 1), 2, 2);
    if (!hours || !minutes || *hours > HourLimit || *minutes > 59)
        return std::nullopt;
    return sign * (*hours * 60 + *minutes);
}

QString DateShifts::shiftText(const DateShift &shift)
{
    const QString offset = offsetText(shift.minutes);
    return shift.camera.isEmpty() ? offset : shift.camera + u'=' + offset;
}

QString DateShifts::take(QStringView text)
{
    // The offset follows the last "=": a camera's name may hold one.
    const qsizetype equals = text.lastIndexOf(u'=');
    const QStringView camera = equals < 0 ? QStringView() : text.first(equals).trimmed();
    const std::optional<int> minutes = parseOffset(equals < 0 ? text : text.sliced(equals + 1));
    if (!minutes)
        return QStringLiteral("сдвиг «%1» — не «[камера=]±чч:мм» (часов не больше %2)").arg(text).arg(HourLimit);
    if (equals >= 0 && camera.isEmpty())
        return QStringLiteral("в сдвиге «%1» перед «=» нет камеры").arg(text);
    set(camera.toString(), *minutes);
    return {};
}

} // namespace velmix
