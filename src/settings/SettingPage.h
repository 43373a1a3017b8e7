#pragma once

#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace options {

// The writes that OK makes, in the order it makes them. Each page stores its own settings when
// the dialog reaches the step they belong to.
enum class StoreStep {
    Connection,   // DateBeforeUpdate (cache-date mode only), Update
    CompactAtEnd, // CompactBeforeEnd
    CacheFolder,  // the cache folder
    TypeColours,  // SoftType1, SoftType2, … with their colours
    Proxy,        // Proxy; ProxyName and ProxyPort while a proxy is used
    ListReading,  // ReadSortType, ReadMaxPages
    Browser,      // UseOtherBrowser, BrowserPath
    Icons,        // the four icon choices
    ListWidths,   // RecordListWidth
    SearchMax,    // "SearchMax "
    UserAgent,    // UserAgent
    DoubleClick,  // OpenBrowserDoubleClick
    PropertyTab,  // OpenTabProperty
    License,      // UserName, Email
    Fonts,        // the four font settings
    Download,     // Folder, OpenAfterDownload, UsePLMDMPropertyWindow
    Categories,   // "CATEGORY.INI" and the category table
};

// A field whose text cannot be stored in the settings files.
struct UnstorableField
{
    QWidget* field = nullptr;
    QString text;
};

// One tab of the settings dialog: the message at its top, then its own controls. A page loads
// its controls from the settings when it is made, corrects its numbers on OK, names a field the
// settings file cannot hold, and stores its settings at the steps of OK they belong to.
class SettingPage : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingPage)

public:
    // message: the page's lines, joined with CR LF.
    SettingPage(const QString& name, const QString& message, QWidget* parent = nullptr);

    // Sets the controls from the settings.
    virtual void load() = 0;
    // OK's silent corrections of the number fields.
    virtual void validate() {}
    // The first field whose text the settings files cannot hold; no field when all can be.
    virtual UnstorableField unstorableField() const { return {}; }
    // Stores what belongs to the step, in the file and in memory.
    virtual void store(StoreStep step) = 0;

protected:
    // The layout below the message.
    QVBoxLayout* body() const { return m_body; }

    // Writes one key of the settings file.
    static void WriteSetting(const QString& section, const QString& key, const QString& value);
    static void WriteSetting(const QString& section, const QString& key, int value);
    // The whole number of a field; fallback when it holds none.
    static int FieldNumber(const QString& text, int fallback = 0);
    // A field's text when it is a number, else the replacement (OK's corrections).
    static QString NumericOr(const QString& text, const QString& replacement);

    // Builders.
    QGroupBox* addFrame(const QString& title);
    // A field for a whole number of at most maxDigits digits.
    QLineEdit* makeNumberField(const QString& name, int maxDigits);
    QLineEdit* makeField(const QString& name);
    QLabel* makeLabel(const QString& text, QWidget* buddy = nullptr);

    // The first of the fields whose text cannot be stored.
    static UnstorableField FirstUnstorable(std::initializer_list<QLineEdit*> fields);

private:
    QVBoxLayout* m_body;
};

} // namespace options
