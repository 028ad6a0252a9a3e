#pragma once

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QTimeEdit;

// The bookmark details dialog (556): name and notes editable, time shown on read-only pickers.
// "OK" (also Enter on the name, Ctrl+Enter anywhere) accepts, "Close" and Esc reject; the caller
// stores the texts only on accept. Only what a bookmark record can hold can be typed: the name
// up to 16 characters, the notes up to 255, both Windows-1252 only. GUI thread.
class CAddEditBookmarksDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 556;
    static constexpr int kNameId = 7026;
    static constexpr int kDateId = 7030;
    static constexpr int kTimeId = 7031;
    static constexpr int kNotesId = 7025;
    static constexpr int kNameMax = 16;
    static constexpr int kNotesMax = 255;

    CAddEditBookmarksDlg(const QString& caption, const QString& name, qint64 time, const QString& notes,
                         QWidget* parent = nullptr);

    QString Name() const;
    QString Notes() const;

    // The text cut to what a record field holds: characters without a Windows-1252 byte (and
    // line breaks in a name) dropped, then at most max characters.
    static QString Storable(const QString& text, int max, bool multiLine);

private:
    void FilterNotes();

    QLineEdit* name_ = nullptr;
    QDateEdit* date_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    bool filtering_ = false;
};
