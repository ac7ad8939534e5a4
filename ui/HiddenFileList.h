#pragma once

#include <QWidget>

namespace velmix {

class FolderListing;

// The hidden file list: the core's folder listing behind the table. It is never shown;
// it stands in the layout so the listing's folder and mask can be read off the window.
class HiddenFileList : public QWidget
{
    Q_OBJECT

public:
    explicit HiddenFileList(QWidget *parent = nullptr);

    void follow(const FolderListing *listing) { m_listing = listing; }
    [[nodiscard]] QString path() const;
    [[nodiscard]] QString pattern() const;

private:
    const FolderListing *m_listing = nullptr;
};

} // namespace velmix
