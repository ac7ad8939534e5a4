#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace velmix {

// A camera whose clock was wrong: the dates of its files move by `minutes`. No camera
// moves every file's date, where no shift names its own camera.
struct DateShift
{
    QString camera; // as cameraName() writes it; empty for every file
    int minutes = 0;

    friend bool operator==(const DateShift &, const DateShift &) = default;
};

class DateShifts
{
public:
    // The largest shift, in hours: a clock left a month off still fits.
    static constexpr int HourLimit = 999;

    [[nodiscard]] const QList<DateShift> &list() const { return m_list; }
    [[nodiscard]] bool isEmpty() const { return m_list.isEmpty(); }
    // Puts the camera's shift, over the one it had; a shift of 0 takes it away.
    void set(const QString &camera, int minutes);
    // The minutes a file of `camera` moves: its own camera's shift, else the one for all.
    [[nodiscard]] int minutesFor(QStringView camera) const;
    // The shift named for the camera itself (0 where none).
    [[nodiscard]] int ownMinutesOf(QStringView camera) const;

    // "+01:00", "-00:30", "+25:15".
    [[nodiscard]] static QString offsetText(int minutes);
    // "±чч:мм", or whole hours "±ч" (the sign may be left out for a forward shift); nothing
    // where the text is no such offset.
    [[nodiscard]] static std::optional<int> parseOffset(QStringView text);
    // "Canon EOS 80D=+01:00", or "+01:00" for every file.
    [[nodiscard]] static QString shiftText(const DateShift &shift);
    // Puts the shift a text gives, as shiftText writes it; the reason, in Russian, where it
    // gives none.
    [[nodiscard]] QString take(QStringView text);

    friend bool operator==(const DateShifts &, const DateShifts &) = default;

private:
    QList<DateShift> m_list;
};

} // namespace velmix
