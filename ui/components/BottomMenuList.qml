import QtQuick 2.15
import "."

// One page of four tool buttons of the bottom tool bar. Each button has an image, a title and a
// title colour; `toolN` is the button itself, for highlighting from outside.
Row {
    id: page
    property url tool1Image
    property url tool2Image
    property url tool3Image
    property url tool4Image
    property string tool1Title
    property string tool2Title
    property string tool3Title
    property string tool4Title
    property color tool1TxtColor: Theme.text
    property color tool2TxtColor: Theme.text
    property color tool3TxtColor: Theme.text
    property color tool4TxtColor: Theme.text
    property bool tool1Active: false
    property bool tool2Active: false
    property bool tool3Active: false
    property bool tool4Active: false
    property alias tool1: button1
    property alias tool2: button2
    property alias tool3: button3
    property alias tool4: button4
    // The button pressed: 1 to 4.
    signal toolPressed(int position)
    spacing: 14

    component ToolButton: Item {
        id: button
        property url image
        property string title
        property color textColor
        property bool active: false
        signal pressed()
        width: 220
        height: 84
        Image {
            anchors.fill: parent
            source: button.active ? "qrc:/images/tools/btn_p_tool.png" : "qrc:/images/tools/btn_n_tool.png"
        }
        Row {
            anchors.centerIn: parent
            spacing: 10
            Image {
                source: button.image
                width: 44
                height: 44
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                text: button.title
                color: button.textColor
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontNormal
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, 150)
                elide: Text.ElideRight
            }
        }
        MouseArea {
            anchors.fill: parent
            onClicked: button.pressed()
        }
    }

    ToolButton { id: button1; active: page.tool1Active; image: page.tool1Image; title: page.tool1Title; textColor: page.tool1TxtColor; onPressed: page.toolPressed(1) }
    ToolButton { id: button2; active: page.tool2Active; image: page.tool2Image; title: page.tool2Title; textColor: page.tool2TxtColor; onPressed: page.toolPressed(2) }
    ToolButton { id: button3; active: page.tool3Active; image: page.tool3Image; title: page.tool3Title; textColor: page.tool3TxtColor; onPressed: page.toolPressed(3) }
    ToolButton { id: button4; active: page.tool4Active; image: page.tool4Image; title: page.tool4Title; textColor: page.tool4TxtColor; onPressed: page.toolPressed(4) }
}
