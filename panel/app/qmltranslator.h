// Language of the screens. Every visible text in the screens is a translated string followed by
// `qmlTranslator.e_str`, an always-empty text whose change signal re-evaluates them all.
#pragma once

#include <QObject>
#include <QString>
#include <QTranslator>

class QmlTranslator : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString e_str READ e_str NOTIFY languageChanged)
    Q_PROPERTY(int lanCode READ lanCode NOTIFY lanCodeChanged)

public:
    explicit QmlTranslator(QObject* parent = nullptr);

    QString e_str() const { return QString(); }
    int lanCode() const { return m_lanCode; }

    // Language codes by index: 0 "en_US", 1 "zh_TW", 2 "zh_CN", 3 "es_ES", 4 "pt_PT".
    static QString codeOfIndex(int index);
    static int indexOfCode(const QString& code);

    Q_INVOKABLE void setTranslation(int code);
    Q_INVOKABLE void setTranslation(const QString& translation);
    Q_INVOKABLE QString currentLanguage() const { return m_code; }

public slots:
    void loadLanguagePack();

signals:
    void languageChanged(int lanCode);
    void lanCodeChanged();

private:
    void saveLanguage();

    QTranslator m_translator;
    QString m_code = QStringLiteral("en_US");
    int m_lanCode = 0;
};
