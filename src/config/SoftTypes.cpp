#include "config/SoftTypes.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/FileUtil.h"
#include "util/Trace.h"

namespace config {

namespace {

struct Derived
{
    const char16_t* image;
    const char16_t* image2;
    const char16_t* image3;
};

constexpr Derived kDerived[] = {
    {u"s_free2.gif", u"icon2_f.gif", u"ico_free.gif"},
    {u"s_share2.gif", u"icon2_s.gif", u"ico_share.gif"},
    {u"s_sample2.gif", u"icon2_s2.gif", u"ico_sample.gif"},
    {u"s_product2.gif", u"icon2_p.gif", u"ico_product.gif"},
    {u"s_other2.gif", u"icon2_o.gif", u"ico_other.gif"},
    {u"s_update2.gif", u"icon2_u.gif", u"ico_unknown.gif"},
};

Derived derivedIcons(QStringView image)
{
    for (const Derived& d : kDerived) {
        if (image == QStringView(d.image))
            return d;
    }
    return {u"", u"s_unknown.gif", u"ico_unknown.gif"};
}

bool toInt(const QString& field, int* out)
{
    const auto v = util::ToWholeNumber(field);
    if (v)
        *out = *v;
    return v.has_value();
}

} // namespace

QList<SoftTypeRecord>& SoftTypes()
{
    static QList<SoftTypeRecord> table;
    return table;
}

QStringList DefaultSoftTypeRows()
{
    return {QStringLiteral("0,s_free2.gif,フリーソフト,16711680,icon2_f.gif"),
            QStringLiteral("1,s_share2.gif,シェアウェア,255,icon2_s.gif"),
            QStringLiteral("2,s_sample2.gif,サンプル,16711935,icon2_s2.gif"),
            QStringLiteral("3,s_product2.gif,製品,32768,icon2_p.gif"),
            QStringLiteral("4,s_other2.gif,その他,0,icon2_o.gif"),
            QStringLiteral("5,s_update2.gif,アップデート,8355584,icon2_u.gif"),
            QStringLiteral("99,s_unknown.gif,不明,0,s_unknown.gif")};
}

bool LoadSoftTypes()
{
    QList<SoftTypeRecord>& table = SoftTypes();
    table.clear();
    const QString end = QStringLiteral("end");
    for (int i = 1;; ++i) {
        const QString value = ReadIni(kSettingsFile, QStringLiteral("SoftType"),
                                      QStringLiteral("SoftType") + QString::number(i), end);
        if (value == end)
            return true;
        const QStringList fields = value.split(u',');
        if (fields.size() != 4 && fields.size() != 5) {
            util::TraceIfDebug(QStringLiteral("ソフトウエアタイプのデータ不正"));
            continue;
        }
        SoftTypeRecord rec;
        if (!toInt(fields[0], &rec.Code) || !toInt(fields[3], &rec.Color)) {
            // Type mismatch, as the conversion of a non-numeric field reports it.
            util::TraceIfDebug(QStringLiteral("ソフトウエアタイプの読み込みエラー(13)"));
            return false;
        }
        rec.Image = fields[1];
        rec.Name = fields[2];
        const Derived d = derivedIcons(rec.Image);
        rec.Image2 = fields.size() == 5 ? fields[4] : QString::fromUtf16(d.image2);
        rec.Image3 = QString::fromUtf16(d.image3);
        table.append(rec);
    }
}

int SoftTypeCodeOfIcon(QStringView iconName, IconLayout layout)
{
    for (const SoftTypeRecord& t : SoftTypes()) {
        const QString& icon = layout == IconLayout::Classic ? t.Image
                              : layout == IconLayout::LI    ? t.Image2
                                                            : t.Image3;
        if (icon == iconName)
            return t.Code;
    }
    return 99;
}

const SoftTypeRecord* FindSoftType(int code)
{
    for (const SoftTypeRecord& t : SoftTypes()) {
        if (t.Code == code)
            return &t;
    }
    return nullptr;
}

} // namespace config
