#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <cstdint>
#include <memory>

class MBRequests;
class MBRequest;

using MBRequestPtr = std::shared_ptr<MBRequest>;

// One pending Modbus request and the frame that carries it, RTU (serial) or MBAP (TCP).
class MBRequest {
public:
    static constexpr int32_t ModeRTU = 0;
    static constexpr int32_t ModeTCP = 1;

    MBRequest();

    // Made as a new request is, keeping only the blocks that hold its key and its frame: the
    // device object takes a request whose reply it has handled for its next one.
    void reuse();

    // Seconds since midnight of the last stamp (creation, then sending). Worked out when asked:
    // the local clock costs more to read than the monotonic one, and every request is stamped.
    float SendTime() const;
    QString Key;

    int32_t TransactionID() const { return transactionId_; }
    void setTransactionID(int32_t value)
    {
        transactionId_ = value;
        forgetFrame();
    }

    // The parent collection; one is created on first read when none was set.
    std::shared_ptr<MBRequests> Requests();
    void setRequests(std::shared_ptr<MBRequests> parent) { parent_ = std::move(parent); }

    int32_t MBMode() const { return mode_; }
    void setMBMode(int32_t value)
    {
        mode_ = value;
        forgetFrame();
    }

    // The request frame; raises overflow (6) for a field that does not fit its bytes and
    // subscript out of range (9) when a register write lacks data. Built once until a field
    // changes: the serial link asks for it when queueing and again when sending.
    QByteArray CommandString() const;

    int32_t Quantity() const { return quantity_; }
    void setQuantity(int32_t value)
    {
        quantity_ = value;
        forgetFrame();
    }
    int32_t StartAddress() const { return startAddress_; }
    void setStartAddress(int32_t value)
    {
        startAddress_ = value;
        forgetFrame();
    }
    int32_t MBFunction() const { return function_; }
    void setMBFunction(int32_t value)
    {
        function_ = value;
        forgetFrame();
    }
    int32_t MBAddress() const { return address_; }
    void setMBAddress(int32_t value)
    {
        address_ = value;
        forgetFrame();
    }

    int32_t MBData(int index) const;
    // Grows the array (new elements 0) when index lies past its end.
    void setMBData(int index, int32_t value);

    // Monotonic seconds of the two stamps: time-outs and ageing use these, so neither breaks at
    // midnight.
    double SentAt() const { return sentAt_; }
    void markSent();

private:
    int32_t address_ = 0;
    int32_t function_ = 0;
    int32_t startAddress_ = 0;
    int32_t quantity_ = 0;
    int32_t mode_ = ModeRTU;
    std::shared_ptr<MBRequests> parent_;
    QVarLengthArray<int32_t, 1> data_{0};  // one value held without a heap block
    int32_t transactionId_ = 0;
    double sentAt_ = 0.0;
    // The frame as last built, valid while frameBuilt_; its block is kept for the next build.
    mutable QByteArray frame_;
    mutable bool frameBuilt_ = false;

    void buildFrame() const;
    void forgetFrame() { frameBuilt_ = false; }
};
