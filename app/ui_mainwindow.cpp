#include "ui_mainwindow.h"

#include "thumbwheel.h"
#include "timeline.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMetaObject>
#include <QPalette>
#include <QPushButton>
#include <QRect>
#include <QScrollBar>
#include <QSize>
#include <QSizePolicy>
#include <QSpacerItem>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>

namespace {

// The zoom buttons look alike but for their colours: a ramp from pale yellow
// (hour) to grey green (year). Each face matches the background of the scale
// row of the same unit, so a button reads as a key to the rows.
struct ZoomButtonStyle
{
    const char *objectName;
    const char *text;
    bool setsSizePolicy; // the outer two buttons state their size policy
    QRgb face;
    QRgb light;
    QRgb midlight;
    QRgb dark;
    QRgb mid;
};

constexpr ZoomButtonStyle ZoomButtons[] = {
        {"btHour", QT_TRANSLATE_NOOP("MainWindow", "Hour"), true, qRgb(246, 239, 181),
         qRgb(255, 255, 255), qRgb(250, 247, 218), qRgb(123, 119, 90), qRgb(164, 159, 121)},
        {"btDay", QT_TRANSLATE_NOOP("MainWindow", "Day"), false, qRgb(224, 219, 163),
         qRgb(255, 255, 255), qRgb(239, 237, 209), qRgb(112, 109, 81), qRgb(149, 146, 109)},
        {"btWeek", QT_TRANSLATE_NOOP("MainWindow", "Week"), false, qRgb(198, 199, 138),
         qRgb(255, 255, 221), qRgb(226, 227, 179), qRgb(99, 99, 69), qRgb(132, 133, 92)},
        {"btMonth", QT_TRANSLATE_NOOP("MainWindow", "Month"), false, qRgb(174, 186, 154),
         qRgb(248, 255, 236), qRgb(211, 220, 195), qRgb(87, 93, 77), qRgb(116, 124, 103)},
        {"btYear", QT_TRANSLATE_NOOP("MainWindow", "Year"), true, qRgb(141, 170, 148),
         qRgb(212, 255, 222), qRgb(176, 212, 185), qRgb(70, 85, 74), qRgb(94, 113, 99)},
};
enum ZoomButtonIndex { Hour, Day, Week, Month, Year };

// A palette that sets every classic colour role in every group, so nothing of
// the application palette shows through. Active and Inactive look the same;
// Disabled draws its texts in the button's dark shade.
QPalette zoomButtonPalette(const ZoomButtonStyle &style)
{
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor face(style.face);
    const QColor light(style.light);
    const QColor midlight(style.midlight);
    const QColor dark(style.dark);
    const QColor mid(style.mid);
    const QColor link(0, 0, 238);
    const QColor linkVisited(82, 24, 139);

    struct RoleColours
    {
        QPalette::ColorRole role;
        QColor enabled;
        QColor disabled;
    };
    // In the toolkit's role order.
    const RoleColours pattern[] = {
            {QPalette::WindowText, black, dark},
            {QPalette::Button, face, face},
            {QPalette::Light, light, light},
            {QPalette::Midlight, midlight, midlight},
            {QPalette::Dark, dark, dark},
            {QPalette::Mid, mid, mid},
            {QPalette::Text, black, dark},
            {QPalette::BrightText, white, white},
            {QPalette::ButtonText, black, dark},
            {QPalette::Base, white, face},
            {QPalette::Window, face, face},
            {QPalette::Shadow, black, black},
            {QPalette::Highlight, QColor(103, 141, 178), QColor(86, 117, 148)},
            {QPalette::HighlightedText, white, white},
            {QPalette::Link, link, link},
            {QPalette::LinkVisited, linkVisited, linkVisited},
            {QPalette::AlternateBase, midlight, midlight},
    };

    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const RoleColours &entry : pattern) {
            const QColor &colour = group == QPalette::Disabled ? entry.disabled : entry.enabled;
            palette.setBrush(group, entry.role, QBrush(colour, Qt::SolidPattern));
        }
    }
    return palette;
}

QFont zoomButtonFont()
{
    // Where no "DIN" is installed, font matching picks a substitute.
    QFont font;
    font.setFamilies({QStringLiteral("DIN")});
    font.setPointSize(9);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

template <typename Object> Object *named(Object *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// Spacing and margin first, then the name.
template <typename Layout>
Layout *configured(Layout *layout, int spacing, int margin, const char *name)
{
    layout->setSpacing(spacing);
    layout->setContentsMargins(margin, margin, margin, margin);
    return named(layout, name);
}

// Stretch factors default to 0; the height-for-width flag is kept from the
// widget's current policy.
void setSizePolicy(QWidget *widget, QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical,
                   int horizontalStretch = 0)
{
    QSizePolicy policy(horizontal, vertical);
    policy.setHorizontalStretch(horizontalStretch);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

QPushButton *createZoomButton(const ZoomButtonStyle &style, QWidget *parent)
{
    auto *button = named(new QPushButton(parent), style.objectName);
    if (style.setsSizePolicy)
        setSizePolicy(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
    button->setMaximumSize(QSize(QWIDGETSIZE_MAX, 20));
    button->setPalette(zoomButtonPalette(style));
    button->setFont(zoomButtonFont());
    return button;
}

} // namespace

void Ui_MainWindow::setupUi(QMainWindow *mainWindow)
{
    mainWindow->setObjectName(QStringLiteral("MainWindow"));
    mainWindow->resize(QSize(757, 540).expandedTo(mainWindow->minimumSizeHint()));
    setSizePolicy(mainWindow, QSizePolicy::Preferred, QSizePolicy::Preferred);
    mainWindow->setBaseSize(QSize(0, 0));

    centralwidget = named(new QWidget(mainWindow), "centralwidget");
    setSizePolicy(centralwidget, QSizePolicy::Preferred, QSizePolicy::Preferred);

    gridLayout = configured(new QGridLayout(centralwidget), 6, 9, "gridLayout");
    hboxLayout = configured(new QHBoxLayout, 4, 0, "hboxLayout");

    // Left column: the time axis above the "<", thumbwheel, ">" row.
    vboxLayout = configured(new QVBoxLayout, 2, 0, "vboxLayout");
    timeline = named(new Timeline(centralwidget), "timeline");
    setSizePolicy(timeline, QSizePolicy::Preferred, QSizePolicy::Minimum);
    timeline->setMinimumSize(QSize(0, 0));
    vboxLayout->addWidget(timeline);

    hboxLayout1 = configured(new QHBoxLayout, 2, 0, "hboxLayout1");
    pushButton_7 = named(new QPushButton(centralwidget), "pushButton_7");
    setSizePolicy(pushButton_7, QSizePolicy::Fixed, QSizePolicy::Fixed, 2);
    pushButton_7->setMaximumSize(QSize(30, QWIDGETSIZE_MAX));
    pushButton_7->setAutoRepeat(true);
    hboxLayout1->addWidget(pushButton_7);

    thumbwheel = named(new Thumbwheel(centralwidget), "thumbwheel");
    setSizePolicy(thumbwheel, QSizePolicy::Expanding, QSizePolicy::Preferred);
    hboxLayout1->addWidget(thumbwheel);

    pushButton_2 = named(new QPushButton(centralwidget), "pushButton_2");
    setSizePolicy(pushButton_2, QSizePolicy::Fixed, QSizePolicy::Fixed);
    pushButton_2->setMaximumSize(QSize(30, QWIDGETSIZE_MAX));
    pushButton_2->setAutoRepeat(true);
    hboxLayout1->addWidget(pushButton_2);

    vboxLayout->addLayout(hboxLayout1);
    hboxLayout->addLayout(vboxLayout);

    // The zoom control; it keeps the scroll bar's own range of 0 to 99.
    verticalScrollBar = named(new QScrollBar(centralwidget), "verticalScrollBar");
    verticalScrollBar->setOrientation(Qt::Vertical);
    hboxLayout->addWidget(verticalScrollBar);

    // Right column: the zoom buttons, pushed to the top by a spacer that also
    // keeps the column 60 pixels wide at least.
    vboxLayout1 = configured(new QVBoxLayout, 2, 0, "vboxLayout1");
    btHour = createZoomButton(ZoomButtons[Hour], centralwidget);
    btHour->setDefault(false);
    btHour->setFlat(false);
    vboxLayout1->addWidget(btHour);
    btDay = createZoomButton(ZoomButtons[Day], centralwidget);
    vboxLayout1->addWidget(btDay);
    btWeek = createZoomButton(ZoomButtons[Week], centralwidget);
    vboxLayout1->addWidget(btWeek);
    btMonth = createZoomButton(ZoomButtons[Month], centralwidget);
    vboxLayout1->addWidget(btMonth);
    btYear = createZoomButton(ZoomButtons[Year], centralwidget);
    vboxLayout1->addWidget(btYear);

    buttonColumnSpacer = new QSpacerItem(60, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    vboxLayout1->addItem(buttonColumnSpacer);
    hboxLayout->addLayout(vboxLayout1);

    // The grid frames the row with spacers: more room above than below, and
    // a narrow margin on either side.
    gridLayout->addLayout(hboxLayout, 1, 1, 1, 2);
    topSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::MinimumExpanding);
    gridLayout->addItem(topSpacer, 0, 1, 1, 1);
    bottomSpacer = new QSpacerItem(20, 10, QSizePolicy::Minimum, QSizePolicy::Preferred);
    gridLayout->addItem(bottomSpacer, 2, 2, 1, 1);
    leftSpacer = new QSpacerItem(5, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
    gridLayout->addItem(leftSpacer, 1, 0, 1, 1);
    rightSpacer = new QSpacerItem(5, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
    gridLayout->addItem(rightSpacer, 1, 3, 1, 1);

    mainWindow->setCentralWidget(centralwidget);

    menubar = named(new QMenuBar(mainWindow), "menubar");
    menubar->setGeometry(QRect(0, 0, 757, 30));
    mainWindow->setMenuBar(menubar);

    statusbar = named(new QStatusBar(mainWindow), "statusbar");
    statusbar->setGeometry(QRect(0, 517, 757, 23));
    mainWindow->setStatusBar(statusbar);

    retranslateUi(mainWindow);

    // The scroll bar zooms only while the user moves its slider; a value that
    // the time axis reports back does not come round again as a zoom.
    QObject::connect(verticalScrollBar, &QScrollBar::sliderMoved, timeline,
                     &Timeline::changeZoomSlot);
    QObject::connect(timeline, &Timeline::zoomChangedSignal, verticalScrollBar,
                     &QScrollBar::setValue);
    // Each zoom button tells the time axis its level through its action.
    QObject::connect(btDay, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    QObject::connect(btHour, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    QObject::connect(btWeek, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    QObject::connect(btMonth, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    QObject::connect(btYear, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    // The thumbwheel drives the same slots as the time axis itself.
    QObject::connect(thumbwheel, &Thumbwheel::thumbwheelMouseDragSignal, timeline,
                     &Timeline::canvasDraggedSlot);
    QObject::connect(thumbwheel, &Thumbwheel::thumbwheelWheelSignal, timeline,
                     &Timeline::canvasWheelSlot);
    // "<" and ">" move by half the view and repeat while held down.
    QObject::connect(pushButton_7, &QPushButton::clicked, timeline, &Timeline::pageEarlierSlot);
    QObject::connect(pushButton_2, &QPushButton::clicked, timeline, &Timeline::pageLaterSlot);

    QMetaObject::connectSlotsByName(mainWindow);
}

void Ui_MainWindow::retranslateUi(QMainWindow *mainWindow)
{
    //: The window's title, which stays the same in every language.
    mainWindow->setWindowTitle(QCoreApplication::translate("MainWindow", "MainWindow"));
    timeline->setToolTip(QCoreApplication::translate("MainWindow", "The current time"));
    timeline->setWhatsThis(QCoreApplication::translate(
            "MainWindow", "The analog clock widget displays the current time."));
    pushButton_7->setText(QCoreApplication::translate("MainWindow", "<"));
    pushButton_2->setText(QCoreApplication::translate("MainWindow", ">"));

    QPushButton *const zoomButtons[] = {btHour, btDay, btWeek, btMonth, btYear};
    for (const ZoomButtonIndex index : {Hour, Day, Week, Month, Year})
        zoomButtons[index]->setText(
                QCoreApplication::translate("MainWindow", ZoomButtons[index].text));
}
