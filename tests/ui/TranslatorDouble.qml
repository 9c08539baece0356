import QtQuick 2.15

// Stands in for `qmlTranslator` in the screens' tests: the language index and the calls to set it.
QtObject {
    property string e_str: ""
    property int lanCode: 0
    property var calls: []
    signal languageChanged(int lanCode)
    function setTranslation(code) {
        calls.push("setTranslation(" + code + ")")
    }
    function currentLanguage() { return ["en_US", "zh_TW", "zh_CN", "es_ES", "pt_PT"][lanCode] }
}
