#pragma once

#include <QMap>
#include <QWidget>
#include <array>

class IStatsOwner;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The RMS statistics window: ten velocity bands with their limits, reduction factors, theoretical
// lengths and the hours the device counted in them; upload, export and the band of the current
// velocity. It belongs to the monitoring panel and only hides when closed.
class FStats : public QWidget {
    Q_OBJECT
public:
    static constexpr int Bands = 10;
    static constexpr int Limits = 9;

    explicit FStats(QWidget *owner);

    IStatsOwner *Owner = nullptr;
    // The highest valid band limit in mm/s.
    float RMSLimitMax = 0;
    // The current velocity in mm/s: marks its band.
    void setRMS(float rms);
    int MarkerBand() const { return markerBand_; }

    // Without the administrator the table's boxes are read-only and look it, and Upload is disabled.
    void setLocked(bool locked);

    void cboRMSEnable_Click();
    void txtRMSLimit_Change(int index);
    void txtReductionFactor_Change(int index);
    void cmdUpload_Click();
    void cmdExport_Click();
    void cmdHide_Click();

    // The captions in the user's language.
    void TranslateCaptions();

    // The table as the panel fills it from the device or an archive and reads it back.
    QString BandLimitText(int band) const;
    void setBandLimitText(int band, const QString &text);
    QString ReductionFactorText(int band) const;
    void setReductionFactorText(int band, const QString &text);
    // The names the boxes go by, for an error that names the value refused.
    QString BandLimitName(int band) const;
    QString ReductionFactorName(int band) const;

    // Whether the RMS evaluation is driven by the input rather than always on.
    bool InputDriven() const;
    void setInputDriven(bool inputDriven);

    // A table waits to be checked and uploaded (by the administrator: Upload follows the lock).
    bool UploadPending() const;
    void setUploadPending();

    // The hours the device counted in a band, and their equivalent at the band's factor.
    void showBandHours(int band, const QString &hours, const QString &equivalent);
    void showTotalHours(const QString &hours, const QString &equivalent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildTable(QGridLayout *grid);
    void placeMarker(int band);
    void setPending(bool pending);
    bool editing() const;
    double limit(int index) const;
    void markInvalid(QLineEdit *box);
    bool isInvalid(const QLineEdit *box) const;
    QStringList exportLines() const;
    QString bandText(int band) const;

    // The controls; tests find them by their object names.
    std::array<QLabel *, Limits> lblLoweLimit{};
    std::array<QLineEdit *, Limits> txtRMSLimit{};
    QLabel *lblRMSLimit;
    std::array<QLineEdit *, Bands> txtReductionFactor{};
    std::array<QLabel *, Bands> lblDurataTeorica{};
    std::array<QLabel *, Bands> lblOreLavorate{};
    std::array<QLabel *, Bands> lblOreEquiv{};
    QLabel *lblTotOreLavorate;
    QLabel *lblTotOreEquiv;
    QFrame *shpRMSHighlight;
    QComboBox *cboRMSEnable;
    QPushButton *cmdUpload;
    QPushButton *cmdExport;
    QPushButton *cmdHide;
    // Column headers: 0 theoretical length, 2 velocity, 5 factor, 6 real hours, 7 working hours.
    QMap<int, QLabel *> lbl;

    QGridLayout *grid_ = nullptr;
    int markerBand_ = -1;
    bool uploadPending_ = false;
    bool locked_ = false;
};
