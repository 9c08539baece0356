import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// The language screen: five languages, Save switches the translation, Back forgets the choice.
// Open with open(); it starts from the language in force (qmlTranslator.lanCode).
// Signals: languageSaved(int index) after Save (the system screen shows the new name; the
// translator itself never announces a new lanCode).
// The common screen signals (showMessage, openProgress, setProgress, closeProgress, busy) are
// declared for a uniform interface; this screen never needs them.
Popup {
    id: screen
    property int index: qmlTranslator.lanCode
    // Shown in the language's own script, so they are never translated.
    readonly property var names: ["English", "繁中", "简中", "Español", "Português"]

    signal languageSaved(int index)
    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function save() {
        qmlTranslator.setTranslation(index)
        languageSaved(index)
        close()
    }
    function back() {
        index = qmlTranslator.lanCode
        close()
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    onAboutToShow: index = qmlTranslator.lanCode
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 20
        Text {
            text: qsTr("Language") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Row {
            spacing: 12
            Repeater {
                model: screen.names
                delegate: ZButton {
                    objectName: "language" + index
                    width: 180
                    height: 80
                    selected: screen.index === index
                    text: modelData
                    onClicked: screen.index = index
                }
            }
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "backButton"
                width: 180
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.back()
            }
            ZButton {
                objectName: "saveButton"
                width: 180
                tint: Theme.ok
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.save()
            }
        }
    }
}
