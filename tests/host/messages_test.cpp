// Objects made and messages sent from C (object_new, object_method and
// their typed forms), and registered objects with their clients, as
// externals of other authors use them.
#include "patch.hpp"

#include "ext.h"
#include "ext_obex.h"

#include <gtest/gtest.h>

using kittest::Lines;
using kittest::Patch;

namespace {

// test-server: made by object_new with untyped arguments (a pointer and a
// long); answers "answer" (A_CANT) with its long plus the argument, and has
// typed and gimme methods.
struct Server {
  t_object ob;
  t_atom_long base;
};
t_class *server_class;

void *server_new(void *owner, t_atom_long base) {
  if (!owner)
    return nullptr; // refuses without an owner
  auto *x = static_cast<Server *>(object_alloc(server_class));
  x->base = base;
  return x;
}
void server_free(Server *x) {
  object_post(&x->ob, "freed");
}
void *server_answer(Server *x, t_atom_long n) {
  return reinterpret_cast<void *>(x->base + n);
}
void server_set(Server *x, t_atom_long n, double f, t_symbol *s) {
  object_post(&x->ob, "set %ld %g %s", static_cast<long>(n), f, s->s_name);
}
void server_list(Server *x, t_symbol *, long argc, t_atom *) {
  object_post(&x->ob, "list of %ld", argc);
}
void server_main() {
  server_class = class_new("test-server", (method)server_new, (method)server_free, sizeof(Server),
                           nullptr, A_CANT, 0);
  class_addmethod(server_class, (method)server_answer, "answer", A_CANT, 0);
  class_addmethod(server_class, (method)server_set, "set", A_LONG, A_FLOAT, A_DEFSYM, 0);
  class_addmethod(server_class, (method)server_list, "list", A_GIMME, 0);
  class_register(CLASS_NOBOX, server_class);
}

// test-client: posts every notification it gets; "detach" leaves the
// server named "s" in the name space "test".
struct Client {
  t_object ob;
};
t_class *client_class;

void *client_new() {
  return object_alloc(client_class);
}
void client_notify(Client *x, t_symbol *name, t_symbol *msg, void *, void *data) {
  object_post(&x->ob, "%s from %s (%s)", msg->s_name, name->s_name,
              data ? static_cast<const char *>(data) : "-");
  if (msg == gensym("leave"))
    object_detach(gensym("test"), name, x);
}
void client_main() {
  client_class = class_new("test-client", (method)client_new, nullptr, sizeof(Client), nullptr, 0);
  class_addmethod(client_class, (method)client_notify, "notify", A_CANT, 0);
  class_register(CLASS_BOX, client_class);
}

class Messages : public ::testing::Test {
protected:
  void SetUp() override {
    p.host().define_module("test-server", server_main);
    p.host().define_module("test-client", client_main);
  }
  t_object *new_server(t_atom_long base) {
    return static_cast<t_object *>(object_new(CLASS_NOBOX, gensym("test-server"), &p, base));
  }
  Patch p;
};

TEST_F(Messages, ObjectNewPassesUntypedArgumentsAndObjectMethodReturnsTheAnswer) {
  t_object *server = new_server(40);
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(object_classname(server), gensym("test-server"));
  EXPECT_EQ(object_method(server, gensym("answer"), 2), reinterpret_cast<void *>(42));
  // A typed method gets its words as its types; a missing symbol is empty.
  EXPECT_EQ(object_method(server, gensym("set"), 7, 3, gensym("x")), nullptr);
  object_method(server, gensym("set"), 1, 2);
  EXPECT_EQ(p.take(), (Lines{"post: test-server: set 7 3 x", "post: test-server: set 1 2 "}));
  object_free(server);
  EXPECT_EQ(p.take(), Lines{"post: test-server: freed"});
}

TEST_F(Messages, ObjectNewRefusesWhatItCannotMake) {
  EXPECT_EQ(object_new(CLASS_BOX, gensym("test-server"), &p, 1), nullptr);
  EXPECT_EQ(object_new(CLASS_NOBOX, gensym("test-server"), nullptr, 1), nullptr);
  EXPECT_EQ(object_new(CLASS_NOBOX, gensym("test-nosuch")), nullptr);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "error: object_new: class \"test-server\" is in name space \"nobox\", not "
                      "\"box\"");
  EXPECT_EQ(lines[1], "error: object_new: test-server: could not create object");
  EXPECT_EQ(lines[2].rfind("error: object_new: no module \"test-nosuch", 0), 0u) << lines[2];
  // Untyped creation routines cannot be made from a box.
  EXPECT_NE(p.make_error("test-server 1").find("object_new only"), std::string::npos);
}

TEST_F(Messages, UntypedCallsRefuseAtomMethodsAndIgnoreUnknownMessages) {
  t_object *server = new_server(0);
  EXPECT_EQ(object_method(server, gensym("list"), 3, nullptr), nullptr);
  EXPECT_EQ(object_method(server, gensym("nosuch")), nullptr);
  EXPECT_EQ(object_method(&p, gensym("answer")), nullptr);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "error: test-server: message \"list\" takes atoms: send it with "
                      "object_method_typed");
  EXPECT_EQ(lines[1].rfind("error: object_method: ", 0), 0u) << lines[1];
  object_free(server);
}

TEST_F(Messages, TypedCallsDeliverAsThePatchWouldAndSayWhetherTheyWereTaken) {
  t_object *server = new_server(0);
  p.take();
  t_atom args[3] = {kittest::long_atom(4), kittest::float_atom(0.5), kittest::sym_atom("y")};
  t_atom rv;
  atom_setlong(&rv, 9);
  EXPECT_EQ(object_method_typed(server, gensym("set"), 3, args, &rv), MAX_ERR_NONE);
  EXPECT_EQ(rv.a_type, A_NOTHING);
  EXPECT_EQ(object_method_typed(server, gensym("list"), 2, args, nullptr), MAX_ERR_NONE);
  EXPECT_EQ(object_method_typed(server, gensym("set"), 1, args + 2, nullptr), MAX_ERR_GENERIC);
  EXPECT_EQ(object_method_typed(server, gensym("nosuch"), 0, nullptr, nullptr), MAX_ERR_GENERIC);
  EXPECT_EQ(object_method_typed(server, gensym("set"), -1, args, nullptr), MAX_ERR_GENERIC);
  const Lines lines = p.take();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
            (Lines{"post: test-server: set 4 0.5 y", "post: test-server: list of 2",
                   "error: test-server: bad arguments for message \"set\"",
                   "error: test-server: doesn't understand \"nosuch\""}));
  object_free(server);
}

TEST_F(Messages, ObjectNewTypedMakesAnObjectAsABoxWould) {
  t_atom arg = kittest::long_atom(3);
  auto *client =
      static_cast<t_object *>(object_new_typed(CLASS_BOX, gensym("test-client"), 1, &arg));
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(object_classname(client), gensym("test-client"));
  EXPECT_EQ(p.take(), Lines{"error: test-client: extra creation arguments ignored"});
  EXPECT_EQ(object_new_typed(CLASS_NOBOX, gensym("test-server"), 1, &arg), nullptr);
  EXPECT_EQ(p.take().size(), 1u);
  object_free(client);
}

// ---- Registered objects ------------------------------------------------------------

class Registry : public Messages {
protected:
  t_symbol *ns = gensym("test");
  t_symbol *name = gensym("s");
};

TEST_F(Registry, ClientsAttachedByNameOrPointerAreNotifiedInTheirOrder) {
  t_object *server = new_server(0);
  t_object *a = p.make("a", "test-client");
  t_object *b = p.make("b", "test-client");
  EXPECT_EQ(object_register(ns, name, server), server);
  EXPECT_EQ(object_findregistered(ns, name), server);
  t_symbol *found_ns = nullptr;
  t_symbol *found_name = nullptr;
  EXPECT_EQ(object_findregisteredbyptr(&found_ns, &found_name, server), MAX_ERR_NONE);
  EXPECT_EQ(found_ns, ns);
  EXPECT_EQ(found_name, name);
  EXPECT_EQ(object_attach(ns, name, b), server);
  EXPECT_EQ(object_attach_byptr(a, server), MAX_ERR_NONE);
  EXPECT_EQ(object_attach(ns, name, b), server); // once only
  object_notify(server, gensym("changed"), const_cast<char *>("data"));
  EXPECT_EQ(object_detach_byptr(b, server), MAX_ERR_NONE);
  object_notify(server, gensym("again"), nullptr);
  EXPECT_EQ(p.take(), (Lines{"post: test-client: changed from s (data)",
                             "post: test-client: changed from s (data)",
                             "post: test-client: again from s (-)"}));
  // A client that leaves during a notification is not called again.
  object_attach(ns, name, b);
  object_notify(server, gensym("leave"), nullptr);
  object_notify(server, gensym("after"), nullptr);
  EXPECT_EQ(p.take(),
            (Lines{"post: test-client: leave from s (-)", "post: test-client: leave from s (-)"}));
  object_free(server);
  p.take();
}

TEST_F(Registry, AFreedServerSaysFreeAndAFreedClientHearsNothingMore) {
  t_object *server = new_server(0);
  t_object *a = p.make("a", "test-client");
  t_object *b = p.make("b", "test-client");
  object_register(ns, name, server);
  object_attach(ns, name, a);
  object_attach(ns, name, b);
  p.free(a);
  object_notify(server, gensym("hello"), nullptr);
  object_free(server);
  EXPECT_EQ(p.take(), (Lines{"post: test-client: hello from s (-)",
                             "post: test-client: free from s (-)", "post: test-server: freed"}));
  EXPECT_EQ(object_findregistered(ns, name), nullptr);
  // The name is free again.
  t_object *other = new_server(0);
  EXPECT_EQ(object_register(ns, name, other), other);
  object_free(other);
  p.take();
  (void)b;
}

TEST_F(Registry, SubscribersAttachWhenTheNameIsRegisteredLater) {
  t_object *a = p.make("a", "test-client");
  t_object *b = p.make("b", "test-client");
  EXPECT_EQ(object_subscribe(ns, name, nullptr, a), nullptr);
  EXPECT_EQ(object_subscribe(ns, name, gensym("test-client"), b), nullptr); // class filter
  t_object *server = new_server(0);
  object_register(ns, name, server);
  object_notify(server, gensym("one"), nullptr);
  EXPECT_EQ(p.take(), Lines{"post: test-client: one from s (-)"});
  // Unregistered and registered again: the subscription still holds.
  object_unregister(server);
  object_notify(server, gensym("nobody"), nullptr);
  object_register(ns, name, server);
  object_unsubscribe(ns, name, nullptr, b);
  object_unsubscribe(ns, name, nullptr, a);
  object_notify(server, gensym("none"), nullptr);
  EXPECT_EQ(p.take(), Lines{});
  object_free(server);
  p.take();
}

TEST_F(Registry, ANameHoldsOneObjectAndAnObjectOneName) {
  t_object *server = new_server(0);
  t_object *other = new_server(0);
  object_register(ns, name, server);
  EXPECT_EQ(object_register(ns, name, other), nullptr);
  EXPECT_EQ(object_register(ns, gensym("t"), server), nullptr);
  EXPECT_EQ(object_register(ns, name, server), server);
  EXPECT_EQ(p.take(), (Lines{"error: object_register: \"s\" is taken in name space \"test\"",
                             "error: object_register: the test-server object is registered "
                             "under another name already"}));
  EXPECT_EQ(object_attach(ns, gensym("nobody"), other), nullptr);
  EXPECT_EQ(object_unregister(other), MAX_ERR_GENERIC);
  object_free(other);
  object_free(server);
  p.take();
}

} // namespace
