// The rule for the page's main thread, shared by the web tests: every task counts by
// the processor time it worked, read from a trace of the page, so that a busy machine,
// which stretches a task's time on the clock while it waits for a processor, fails
// nothing. No task may work over MOST_WORK_MS on our machines; a slower machine gets a
// proportionally larger allowance, from a fixed reference task (twenty byte-order
// passes over the whole frame) run on the same thread: MOST_WORK_MS times its median
// over REFERENCE_MS, its time on our machines (AMD EPYC, family 25, model 17).
'use strict';

const REFERENCE_MS = 10, MOST_WORK_MS = 50;

// The page's main thread in a trace: its tasks between the marks 'huemix-watch' and
// 'huemix-watched', each as the processor time it worked (ms), and those of the
// reference tasks (the ones that set the mark 'huemix-reference') apart.
function mainThreadTasks(trace) {
  const events = trace.traceEvents;
  const marks = name => events.filter(e => e.name === name && e.ph !== 'X');
  const [from] = marks('huemix-watch'), [to] = marks('huemix-watched');
  if (!from || !to) return {tasks: [], references: []};
  const tasks = events.filter(e => e.name === 'RunTask' && e.ph === 'X' && e.pid === from.pid && e.tid === from.tid &&
                                   e.ts >= from.ts && e.ts + e.dur <= to.ts && e.tdur !== undefined);
  const holds = (t, mark) => mark.ts >= t.ts && mark.ts <= t.ts + t.dur;
  const references = marks('huemix-reference');
  return {tasks: tasks.filter(t => !references.some(m => holds(t, m))).map(t => ({at: (t.ts - from.ts) / 1000, ms: t.tdur / 1000})),
          references: tasks.filter(t => references.some(m => holds(t, m))).map(t => t.tdur / 1000)};
}
const median = v => [...v].sort((a, b) => a - b)[v.length >> 1];

module.exports = {mainThreadTasks, median, REFERENCE_MS, MOST_WORK_MS};
