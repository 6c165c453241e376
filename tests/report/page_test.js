// Tests that run inside a report page, appended to it by browser_test.cpp:
// the decimation on a table of cases and on random data, then zoom, reset
// and the baseline fit on the page's own plots. Writes one line per check
// into #test-results: "ok NAME" or "fail NAME: DETAIL", then "zoom_ms MS".
window.addEventListener('load', () => {
  const out = [];
  const check = (name, ok, detail) => out.push(ok ? 'ok ' + name : 'fail ' + name + ': ' + detail);
  const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
  const r = window.basetrim_report;
  const range = n => Array.from({ length: n }, (_, i) => i);

  // Cases with known output: [times, then one array per series].
  const cases = [
    { name: 'no samples', t: [], ys: [[]], t0: 0, t1: 1, columns: 4, want: [[], []] },
    { name: 'two samples per column or fewer keep every sample', t: [0, 1, 2, 3], ys: [[5, 6, 7, 8]],
      t0: 0, t1: 3, columns: 2, want: [[0, 1, 2, 3], [5, 6, 7, 8]] },
    { name: 'each column keeps its minimum and maximum in time order', t: range(10),
      ys: [[0, 5, 1, -3, 2, 2, 0, 7, 1, 0]], t0: 0, t1: 9, columns: 2,
      want: [[0, 1, 3, 6, 7, 9], [0, 5, -3, 0, 7, 0]] },
    { name: 'each series keeps its own extremes', t: range(8),
      ys: [[0, 9, 0, 0, 0, 0, 0, 1], [0, 0, 0, -4, 0, 0, 8, 0]], t0: 0, t1: 7, columns: 2,
      want: [[0, 1, 3, 4, 6, 7], [0, 9, null, 0, null, 1], [0, null, -4, 0, 8, 0]] },
    { name: 'a zoomed view keeps the first, last and edge samples', t: range(20), ys: [range(20).map(i => i % 5)],
      t0: 5, t1: 14, columns: 100,
      want: [[0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 19], [0, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 4]] },
    { name: 'a view between two samples draws the line through it', t: [0, 1, 2, 3], ys: [[1, 2, 3, 4]],
      t0: 1.2, t1: 1.8, columns: 10, want: [[0, 1, 2, 3], [1, 2, 3, 4]] },
    { name: 'values that are not numbers are gaps', t: range(10),
      ys: [[NaN, 1, NaN, 3, 2, 0, NaN, -1, 5, NaN]], t0: 0, t1: 9, columns: 2,
      want: [[0, 1, 3, 7, 8, 9], [null, 1, 3, -1, 5, null]] },
  ];
  for (const c of cases) {
    const got = r.decimate(c.t, c.ys, c.t0, c.t1, c.columns);
    check(c.name, same(got, c.want), JSON.stringify(got));
  }

  // Random data with spikes: every column's extremes are drawn, the output
  // is bounded by the columns and its times increase.
  let seed = 12345;
  const rand = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
  const n = 50000, columns = 37;
  const t = range(n).map(i => i * 1e-4);
  const ys = [0, 1].map(() => range(n).map(() => (rand() < 0.001 ? 100 : 1) * (rand() - 0.5)));
  const got = r.decimate(t, ys, t[0], t[n - 1], columns);
  let increasing = true;
  for (let i = 1; i < got[0].length; i++) if (!(got[0][i] > got[0][i - 1])) increasing = false;
  check('times increase', increasing, '');
  check('output is bounded by the columns', got[0].length <= 2 * 2 * columns + 4, got[0].length);
  let missed = [];
  const scale = columns / (t[n - 1] - t[0]);
  for (let s = 0; s < 2; s++) {
    const lo = new Array(columns).fill(Infinity), hi = new Array(columns).fill(-Infinity);
    for (let i = 0; i < n; i++) {
      const c = Math.min(columns - 1, Math.floor((t[i] - t[0]) * scale));
      lo[c] = Math.min(lo[c], ys[s][i]);
      hi[c] = Math.max(hi[c], ys[s][i]);
    }
    const drawn = new Set(got[s + 1].filter(v => v !== null));
    for (let c = 0; c < columns; c++) if (!drawn.has(lo[c]) || !drawn.has(hi[c])) missed.push(`${s}:${c}`);
  }
  check('every column keeps its peaks', missed.length === 0, missed.join(' '));

  // The page's own time plots: zoom to the middle fifth of the record.
  const [rec, vel] = r.time_plots;
  const tt = r.t, m = tt.length;
  const a = tt[0] + (tt[m - 1] - tt[0]) * 0.4, b = tt[0] + (tt[m - 1] - tt[0]) * 0.6;
  const started = performance.now();
  rec.u.batch(() => rec.u.setScale('x', { min: a, max: b }));
  rec.refresh(rec.u);
  const zoom_ms = performance.now() - started;
  check('zoom shows the chosen span', rec.u.scales.x.min === a && rec.u.scales.x.max === b,
        `${rec.u.scales.x.min} ${rec.u.scales.x.max}`);
  check('zoom moves the velocity plot too', vel.u.scales.x.min === a && vel.u.scales.x.max === b,
        `${vel.u.scales.x.min} ${vel.u.scales.x.max}`);
  let top = -Infinity, bottom = Infinity;
  for (let i = 0; i < m; i++)
    if (tt[i] >= a && tt[i] <= b) { top = Math.max(top, r.record[i]); bottom = Math.min(bottom, r.record[i]); }
  let dtop = -Infinity, dbottom = Infinity;
  rec.u.data[0].forEach((x, i) => {
    const v = rec.u.data[1][i];
    if (x >= a && x <= b && v !== null) { dtop = Math.max(dtop, v); dbottom = Math.min(dbottom, v); }
  });
  check('zoomed record keeps its peaks', dtop === top && dbottom === bottom, `${dtop} ${top} ${dbottom} ${bottom}`);
  const cols = Math.round(rec.u.bbox.width);
  check('zoomed record is decimated to the pixel columns', rec.u.data[0].length <= 2 * 3 * cols + 4,
        `${rec.u.data[0].length} points for ${cols} columns`);
  check('amplitude axis fits the span', rec.u.scales.y.min <= bottom && rec.u.scales.y.max >= top,
        `${rec.u.scales.y.min} ${rec.u.scales.y.max}`);

  // Fitting the amplitude axis to the baseline, and back.
  const fit = document.getElementById('fit-baseline');
  const whole = rec.u.scales.y.max - rec.u.scales.y.min;
  fit.checked = true;
  fit.dispatchEvent(new Event('change'));
  let blo = Infinity, bhi = -Infinity;
  rec.u.data[0].forEach((x, i) => {
    const v = rec.u.data[3][i];
    if (x >= a && x <= b && v !== null) { blo = Math.min(blo, v); bhi = Math.max(bhi, v); }
  });
  check('the baseline fit shows the baseline', rec.u.scales.y.min < blo && rec.u.scales.y.max > bhi,
        `${rec.u.scales.y.min} ${rec.u.scales.y.max} ${blo} ${bhi}`);
  check('the baseline fit narrows the axis', rec.u.scales.y.max - rec.u.scales.y.min < whole,
        `${rec.u.scales.y.max - rec.u.scales.y.min} ${whole}`);
  fit.checked = false;
  fit.dispatchEvent(new Event('change'));
  check('unfitting restores the axis', rec.u.scales.y.max - rec.u.scales.y.min === whole,
        `${rec.u.scales.y.max - rec.u.scales.y.min} ${whole}`);

  // A double-click shows the whole record in both plots again.
  vel.u.batch(() => vel.u.over.dispatchEvent(new MouseEvent('dblclick', { bubbles: true })));
  vel.refresh(vel.u);
  check('double-click shows the whole record',
        rec.u.scales.x.min === tt[0] && rec.u.scales.x.max === tt[m - 1] &&
        vel.u.scales.x.min === tt[0] && vel.u.scales.x.max === tt[m - 1],
        `${rec.u.scales.x.min} ${rec.u.scales.x.max} ${vel.u.scales.x.min} ${vel.u.scales.x.max}`);

  out.push('zoom_ms ' + zoom_ms);
  document.getElementById('test-results').textContent = out.join('\n');
});
