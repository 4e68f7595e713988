// NetworkNodeTransport: the game packet framing's transport over a NetworkNode: every call is the
// node's queue operation of the same name, on the game thread.
#pragma once
#include "net/GamePacketTransport.h"
#include "net/NetworkNode.h"

class NetworkNodeTransport : public GamePacketTransport {
public:
    explicit NetworkNodeTransport(NetworkNode& node) : m_Node(node) {}

    bool SendData(int32_t id, const void* data, int32_t n, bool commit) override
    {
        return m_Node.SendData(id, data, n, commit);
    }
    bool HasRoom(int32_t id, int32_t n) override { return m_Node.HasRoom(id, n); }
    bool IsSendPending(int32_t id) override { return m_Node.IsSendPending(id); }
    bool CommitPending(int32_t id) override { return m_Node.CommitPending(id); }
    bool PeekPending(int32_t id, int32_t offset, void* dest, int32_t n) override
    {
        return m_Node.PeekPending(id, offset, dest, n);
    }
    bool PatchPending(int32_t id, int32_t offset, const void* src, int32_t n) override
    {
        return m_Node.PatchPending(id, offset, src, n);
    }
    int32_t GetPendingLength(int32_t id) override { return m_Node.GetPendingLength(id); }
    void SetPendingLength(int32_t id, int32_t n) override { m_Node.SetPendingLength(id, n); }
    int32_t GetMaxDatagramMessage() override { return m_Node.GetMaxDatagramMessage(); }

    int32_t GetNumBytesWaiting(int32_t id) override { return m_Node.GetNumBytesWaiting(id); }
    int32_t ReadBytes(int32_t id, void* dest, int32_t n, bool moveOn) override
    {
        return m_Node.ReadBytes(id, dest, n, moveOn);
    }
    int32_t Receive(int32_t id, void* dest, bool moveOn, int32_t max) override
    {
        return m_Node.Receive(id, dest, moveOn, max);
    }
    void SetReadOffset(int32_t id, int32_t n) override { m_Node.SetReadOffset(id, n); }

    bool IsConnectionValid(int32_t id, bool needSending, bool needReceiving) override
    {
        return m_Node.IsConnectionValid(id, needSending, needReceiving);
    }

    NetworkNode& GetNode() { return m_Node; }

private:
    NetworkNode& m_Node;
};
