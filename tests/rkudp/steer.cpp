// steer: a test object that answers what it receives, as a patch that steers
// another object would. Each int, list or FullPacket arriving at its inlet
// takes the next queued answer and sends it out of its outlet:
//
//   answer seek 2     queue the message "seek 2"
//   answer 5          queue the int 5
//   answer            queue "no answer" for one arrival
//   answer resend     queue a FullPacket of the bytes set by `datagram`
//   datagram C0 B7 ... (as ints) sets those bytes
//
// With the queue empty an arrival is ignored.

#include "ext.h"
#include "ext_obex.h"

#include <cstring>

static t_class *steer_class;

enum : long { kAnswers = 256, kAnswerAtoms = 4, kDatagram = 1472 };

typedef struct _steer_answer {
  long count;
  t_atom atoms[kAnswerAtoms];
} t_steer_answer;

typedef struct _steer {
  t_object hdr;
  void *outlet;
  t_steer_answer answers[kAnswers];
  long head;
  long tail;
  unsigned char datagram[kDatagram];
  long length;
} t_steer;

static void *steer_new(void) {
  t_steer *x = (t_steer *)object_alloc(steer_class);
  if (x) {
    x->outlet = outlet_new(x, nullptr);
  }
  return x;
}

static void steer_answer(t_steer *x, t_symbol *s, long ac, t_atom *av) {
  (void)s;
  if (x->tail - x->head >= kAnswers || ac > kAnswerAtoms) {
    error("steer: too many answers");
    return;
  }
  t_steer_answer *a = &x->answers[x->tail % kAnswers];
  a->count = ac;
  for (long i = 0; i < ac; ++i) {
    a->atoms[i] = av[i];
  }
  ++x->tail;
}

static void steer_datagram(t_steer *x, t_symbol *s, long ac, t_atom *av) {
  (void)s;
  x->length = ac < kDatagram ? (long)ac : (long)kDatagram;
  for (long i = 0; i < x->length; ++i) {
    x->datagram[i] = (unsigned char)atom_getlong(&av[i]);
  }
}

static void steer_arrival(t_steer *x) {
  if (x->head == x->tail) {
    return;
  }
  t_steer_answer a = x->answers[x->head % kAnswers];
  ++x->head;
  if (a.count == 0) {
    return;
  }
  if (a.atoms[0].a_type == A_LONG) {
    outlet_int(x->outlet, a.atoms[0].a_w.w_long);
    return;
  }
  t_symbol *selector = atom_getsym(&a.atoms[0]);
  if (std::strcmp(selector->s_name, "resend") == 0) {
    t_atom packet[2];
    atom_setlong(&packet[0], x->length);
    atom_setlong(&packet[1], (t_atom_long)(t_ptr_uint)x->datagram);
    outlet_anything(x->outlet, gensym("FullPacket"), 2, packet);
    return;
  }
  outlet_anything(x->outlet, selector, (short)(a.count - 1), a.atoms + 1);
}

static void steer_int(t_steer *x, t_atom_long n) {
  (void)n;
  steer_arrival(x);
}

static void steer_list(t_steer *x, t_symbol *s, long ac, t_atom *av) {
  (void)s;
  (void)ac;
  (void)av;
  steer_arrival(x);
}

static void steer_packet(t_steer *x, t_atom_long length, t_atom_long address) {
  (void)length;
  (void)address;
  steer_arrival(x);
}

C74_EXPORT int main(void) {
  t_class *c = class_new("steer", (method)steer_new, nullptr, sizeof(t_steer), nullptr, 0);
  class_addmethod(c, (method)steer_answer, "answer", A_GIMME, 0);
  class_addmethod(c, (method)steer_datagram, "datagram", A_GIMME, 0);
  class_addmethod(c, (method)steer_int, "int", A_LONG, 0);
  class_addmethod(c, (method)steer_list, "list", A_GIMME, 0);
  class_addmethod(c, (method)steer_packet, "FullPacket", A_LONG, A_LONG, 0);
  class_register(CLASS_BOX, c);
  steer_class = c;
  return 0;
}
