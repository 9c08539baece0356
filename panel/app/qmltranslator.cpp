#include "qmltranslator.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>
#include <QStringList>

#include "mainControl.h"
#include "pathResolver.h"

namespace {

const QStringList kCodes = {"en_US", "zh_TW", "zh_CN", "es_ES", "pt_PT"};

}  // namespace

QString QmlTranslator::codeOfIndex(int index) {
    return index >= 0 && index < kCodes.size() ? kCodes.at(index) : QStringLiteral("en_US");
}

int QmlTranslator::indexOfCode(const QString& code) {
    return std::max(0, kCodes.indexOf(code));
}

QmlTranslator::QmlTranslator(QObject* parent) : QObject(parent) {
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    m_code = settings.value("language", "en_US").toString();
    settings.endGroup();
    m_lanCode = indexOfCode(m_code);
    loadLanguagePack();
}

void QmlTranslator::loadLanguagePack() {
    const QString directory =
        QString::fromStdString(platform::resolvePath("/home/zek710a/application/current"));
    const bool loaded = m_translator.load(QStringLiteral("app_%1").arg(m_code), directory);
    qDebug() << "Translator loaded: " << loaded;
    QCoreApplication::installTranslator(&m_translator);
    emit languageChanged(m_lanCode);
}

void QmlTranslator::setTranslation(int code) {
    m_code = codeOfIndex(code);
    m_lanCode = code >= 0 && code < kCodes.size() ? code : 0;
    loadLanguagePack();
    saveLanguage();
}

void QmlTranslator::setTranslation(const QString& translation) {
    m_code = translation;
    loadLanguagePack();
    m_lanCode = indexOfCode(translation);
    saveLanguage();
}

void QmlTranslator::saveLanguage() {
    saveSetting("system", "language", m_code);
}
