#include "mqtt/client/MqttClient.h"

#include "mqtt/Topics.h"

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tarnwick {
namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kLongestWaitSeconds = 60;
constexpr auto kGoodbyeWait = std::chrono::seconds(2);
constexpr auto kEndWait = std::chrono::milliseconds(200);
constexpr const char* kSystemCertificates = "/etc/ssl/certs";

// The library is set up once and put away at exit, unless a thread still uses it then.
std::atomic<int> clientsAlive{0};
void UseLibrary() {
    static const bool ready = [] {
        mosquitto_lib_init();
        std::atexit([] {
            if (clientsAlive == 0) mosquitto_lib_cleanup();
        });
        return true;
    }();
    (void)ready;
}

} // namespace

struct MqttClient::Shared {
    explicit Shared(const Options& o) : options(o) { ++clientsAlive; }
    ~Shared() {
        if (mosq != nullptr) mosquitto_destroy(mosq);
        --clientsAlive;
    }

    // Runs f with the owner on the owner's thread, if the owner is still there.
    template <typename F> void Tell(F f) {
        std::lock_guard lock(mutex);
        if (owner == nullptr) return;
        MqttClient* o = owner;
        QMetaObject::invokeMethod(
            o, [o, f = std::move(f)] { f(o); }, Qt::QueuedConnection);
    }
    bool Stopping() {
        std::lock_guard lock(mutex);
        return stopping;
    }
    void SayGoodbye() {
        if (!goodbye.exchange(true)) mosquitto_disconnect(mosq);
    }
    void Run();

    const Options options;
    mosquitto* mosq = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;       // under mutex
    bool finished = false;       // under mutex: the thread is done with the library
    MqttClient* owner = nullptr; // under mutex; null once the owner is gone
    std::atomic<bool> connected{false};
    std::atomic<bool> goodbye{false};
    std::string refusal; // the broker's reason for refusing, on the thread only
};

namespace {

void OnConnect(mosquitto* mosq, void* data, int rc) {
    auto* s = static_cast<MqttClient::Shared*>(data);
    if (rc != 0) {
        s->refusal = mosquitto_connack_string(rc);
        return;
    }
    const int subscribed = mosquitto_subscribe(mosq, nullptr, s->options.subscription.c_str(), 0);
    s->connected = true;
    s->Tell([](MqttClient* o) { emit o->connected(); });
    if (subscribed != MOSQ_ERR_SUCCESS) {
        const std::string why = mosquitto_strerror(subscribed);
        s->Tell([why](MqttClient* o) { emit o->deaf(QString::fromStdString(why)); });
    }
}

// A broker that refuses the subscription (its access list) grants 0x80 for it.
void OnSubscribe(mosquitto*, void* data, int, int count, const int* granted) {
    if (count >= 1 && granted[0] >= 0x80)
        static_cast<MqttClient::Shared*>(data)->Tell(
            [](MqttClient* o) { emit o->deaf(QStringLiteral("the broker refused the subscription")); });
}

void OnDisconnect(mosquitto*, void* data, int) {
    static_cast<MqttClient::Shared*>(data)->connected = false;
}

void OnMessage(mosquitto*, void* data, const mosquitto_message* message) {
    // A payload one byte longer than any command is known to be too long.
    const int kept = std::min(message->payloadlen, static_cast<int>(kMaxCommandPayload) + 1);
    QByteArray topic(message->topic);
    QByteArray payload(static_cast<const char*>(message->payload), std::max(kept, 0));
    const bool retained = message->retain;
    static_cast<MqttClient::Shared*>(data)->Tell(
        [topic, payload, retained](MqttClient* o) { emit o->heard(topic, payload, retained); });
}

} // namespace

void MqttClient::Shared::Run() {
    int wait = 1;
    while (!Stopping()) {
        refusal.clear();
        const BrokerAddress& broker = options.broker;
        int rc = mosquitto_connect(mosq, broker.host.c_str(), broker.port, kKeepAliveSeconds);
        int error = errno;
        bool session = false;
        if (rc == MOSQ_ERR_SUCCESS) {
            // Ends when the connection does: lost, refused, garbled, or closed by the goodbye.
            while (rc == MOSQ_ERR_SUCCESS) {
                if (Stopping()) SayGoodbye();
                rc = mosquitto_loop(mosq, 1000, 1);
                error = errno;
                session = session || connected;
            }
        }
        connected = false;
        if (Stopping()) break;
        const std::string reason = !refusal.empty()       ? refusal
                                   : rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(error))
                                                          : std::string(mosquitto_strerror(rc));
        Tell([reason](MqttClient* o) { emit o->disconnected(QString::fromStdString(reason)); });
        if (session) wait = 1;
        std::unique_lock lock(mutex);
        if (wake.wait_for(lock, std::chrono::seconds(wait), [this] { return stopping; })) break;
        wait = std::min(wait * 2, kLongestWaitSeconds);
    }
    std::lock_guard lock(mutex);
    finished = true;
    wake.notify_all();
}

MqttClient::MqttClient(const Options& options, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>(options)) {
    UseLibrary();
    shared_->owner = this;
    mosquitto* mosq = shared_->mosq = mosquitto_new(nullptr, true, shared_.get());
    std::string problem;
    if (mosq == nullptr) {
        problem = std::strerror(errno);
    } else {
        mosquitto_threaded_set(mosq, true);
        mosquitto_connect_callback_set(mosq, OnConnect);
        mosquitto_disconnect_callback_set(mosq, OnDisconnect);
        mosquitto_message_callback_set(mosq, OnMessage);
        mosquitto_subscribe_callback_set(mosq, OnSubscribe);
        mosquitto_will_set(mosq, options.willTopic.c_str(), 7, "offline", 1, true);
        if (!options.user.empty())
            mosquitto_username_pw_set(mosq, options.user.c_str(),
                                      options.password.empty() ? nullptr : options.password.c_str());
        if (options.broker.tls) {
            // The system's certificates by their folder too: the library reconnects with them only so.
            const bool ours = !options.caFile.empty();
            const int rc = mosquitto_tls_set(mosq, ours ? options.caFile.c_str() : nullptr,
                                             ours ? nullptr : kSystemCertificates, nullptr, nullptr, nullptr);
            if (!ours) mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            if (rc != MOSQ_ERR_SUCCESS) problem = "the CA file cannot be read: " + options.caFile;
        }
    }
    if (!problem.empty()) {
        QMetaObject::invokeMethod(
            this, [this, problem] { emit disconnected(QString::fromStdString(problem)); },
            Qt::QueuedConnection);
        return;
    }
    thread_ = std::thread([s = shared_] { s->Run(); });
}

MqttClient::~MqttClient() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->owner = nullptr;
    }
    if (!thread_.joinable()) return;
    shared_->wake.notify_all();
    // Only a goodbye is worth a wait; a thread waiting to try again ends at once.
    const bool connected = shared_->connected;
    if (connected) shared_->SayGoodbye();
    std::unique_lock lock(shared_->mutex);
    const bool done = shared_->wake.wait_for(lock, connected ? kGoodbyeWait : kEndWait,
                                             [this] { return shared_->finished; });
    lock.unlock();
    // A thread caught in a connect that will not end ends by itself later, and frees what it used.
    if (done)
        thread_.join();
    else
        thread_.detach();
}

void MqttClient::Publish(const std::string& topic, const std::string& payload, bool retain) {
    if (!shared_->connected) return;
    mosquitto_publish(shared_->mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.empty() ? nullptr : payload.data(), 0, retain);
}

} // namespace tarnwick
