#pragma once

#include <QDialog>
#include <QMap>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Edits the connection and data-export settings. Ok writes them to mdlMain and reopens the link;
// saving them to the INI is the caller's step.
class FOptions : public QDialog {
    Q_OBJECT
public:
    explicit FOptions(QWidget *parent = nullptr);

    QRadioButton *optSerialPort;
    QRadioButton *optEthernet;
    QComboBox *cboComPorts;
    QComboBox *cboBaudrate;
    QLineEdit *txtIP;
    QLineEdit *txtPort;
    QCheckBox *chkHeader;
    QLineEdit *txtCommentChr;
    QLineEdit *txtFormat;
    QLabel *lblFormatSample;
    QMap<int, QLabel *> lbl;
    QMap<int, QGroupBox *> fra;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    void Localize();
    void UpdateControls();
    // The port number in the port box: "COM12" and "12" both give 12; no digits or a number that
    // cannot be a port give 0.
    int16_t GetComPortNumber() const;

private:
    void buildLayout();
    void optEthernet_Click();
    void optSerialPort_Click();
    void txtFormat_Change();
    void cmdOk_Click();
    void cmdCancel_Click();

    bool formatValid_ = true;
};
