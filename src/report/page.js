// The report page's script: unpacks the data block, draws the two time
// plots (record, baseline and corrected record; velocities) and the
// spectrum plot with uPlot, and writes a render check into #render-check
// once the page has loaded. Nothing is fetched: the data is in the page.
'use strict';

(function () {
  const started = performance.now();
  const errors = window.report_errors || [];
  const plot_height = 360;  // CSS px: height of every plot
  const colors = {
    record: '#8c96a3',
    corrected: '#1f6fbf',
    baseline: '#d62728',
    knots: '#d62728',
    vel_before: '#e07b00',
    vel_after: '#1f6fbf',
    pos_before: '#8fb8e6',
    neg_before: '#f2b766',
    pos_after: '#1f6fbf',
    neg_after: '#c25400',
    reference: '#111111',
  };

  // First index i with t[i] >= v, or t.length; t ascending.
  function lower_bound(t, v) {
    let lo = 0, hi = t.length;
    while (lo < hi) {
      const m = (lo + hi) >>> 1;
      if (t[m] < v) lo = m + 1; else hi = m;
    }
    return lo;
  }

  // First index i with t[i] > v, or t.length; t ascending.
  function upper_bound(t, v) {
    let lo = 0, hi = t.length;
    while (lo < hi) {
      const m = (lo + hi) >>> 1;
      if (t[m] <= v) lo = m + 1; else hi = m;
    }
    return lo;
  }

  // Min/max decimation for display. The view t0 .. t1 is cut into
  // `columns` pixel columns; in each column every series keeps the samples
  // of its smallest and its largest value, in their order in time, so no
  // peak is ever dropped. A view with no more than two samples per column
  // keeps every sample. Outside the view the first and last samples are
  // kept, so the data always spans the whole record, and so is the sample
  // just beyond each edge, which carries the lines to the edges. Returns
  // uPlot's aligned data: the times, then per series its values, null where
  // a point belongs to another series (drawn with spanGaps).
  function decimate(t, ys, t0, t1, columns) {
    const n = t.length, m = ys.length;
    const x = [], y = ys.map(() => []);
    let last = -1;
    const value = v => (Number.isFinite(v) ? v : null);
    // Adds sample i for series k, or for every series when k < 0.
    const emit = (i, k) => {
      if (i !== last) {
        x.push(t[i]);
        for (let s = 0; s < m; s++) y[s].push(null);
        last = i;
      }
      const p = x.length - 1;
      if (k < 0) for (let s = 0; s < m; s++) y[s][p] = value(ys[s][i]);
      else y[k][p] = value(ys[k][i]);
    };
    if (n === 0) return [x, ...y];
    const lo = lower_bound(t, t0), hi = upper_bound(t, t1) - 1;  // the samples in view
    emit(0, -1);
    if (lo > 0) emit(lo - 1, -1);
    if (hi - lo + 1 <= 2 * columns || !(t1 > t0)) {
      for (let i = lo; i <= hi; i++) emit(i, -1);
    } else {
      const scale = columns / (t1 - t0);
      const imin = new Int32Array(m).fill(-1), imax = new Int32Array(m).fill(-1);
      const vmin = new Float64Array(m), vmax = new Float64Array(m);
      const picks = [];
      // Emits the extremes of the column just ended in time order.
      const flush = () => {
        picks.length = 0;
        for (let s = 0; s < m; s++) {
          if (imin[s] < 0) continue;
          picks.push(imin[s] * m + s, imax[s] * m + s);
        }
        picks.sort((a, b) => a - b);
        for (const p of picks) emit(Math.floor(p / m), p % m);
        imin.fill(-1);
        imax.fill(-1);
      };
      let col = -1;
      for (let i = lo; i <= hi; i++) {
        let c = Math.floor((t[i] - t0) * scale);
        if (c >= columns) c = columns - 1;
        if (c !== col) {
          if (col >= 0) flush();
          col = c;
        }
        for (let s = 0; s < m; s++) {
          const v = ys[s][i];
          if (v !== v) continue;  // not a number
          if (imin[s] < 0) {
            imin[s] = imax[s] = i;
            vmin[s] = vmax[s] = v;
          } else {
            if (v < vmin[s]) { vmin[s] = v; imin[s] = i; }
            if (v > vmax[s]) { vmax[s] = v; imax[s] = i; }
          }
        }
      }
      flush();
    }
    if (hi + 1 < n) emit(hi + 1, -1);
    emit(n - 1, -1);
    return [x, ...y];
  }

  // The bytes of a base64 text, as typed array `Type` in little-endian order.
  function unpack(text, Type) {
    const bin = atob(text);
    const bytes = new Uint8Array(bin.length);
    for (let i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    const little = new Uint8Array(new Uint16Array([1]).buffer)[0] === 1;
    if (little) return new Type(bytes.buffer);
    const view = new DataView(bytes.buffer), size = Type.BYTES_PER_ELEMENT;
    const out = new Type(bytes.length / size);
    for (let i = 0; i < out.length; i++)
      out[i] = size === 8 ? view.getFloat64(i * size, true) : view.getFloat32(i * size, true);
    return out;
  }

  function plot_width(el) {
    return Math.max(320, Math.floor(el.clientWidth || 800));
  }

  const time_plots = [];   // the two plots over time, zoomed together
  const all_plots = [];    // every plot, with its element id
  let decimate_ms = 0;     // longest decimation so far

  // The amplitude range that shows the baseline series `k` of u in the
  // current view, with room around it for the record near the baseline.
  function baseline_range(u, k) {
    const x = u.data[0], b = u.data[k], t0 = u.scales.x.min, t1 = u.scales.x.max;
    let lo = Infinity, hi = -Infinity;
    for (let i = 0; i < x.length; i++) {
      if (x[i] < t0 || x[i] > t1 || b[i] == null) continue;
      lo = Math.min(lo, b[i]);
      hi = Math.max(hi, b[i]);
    }
    if (!(hi >= lo)) return null;
    let pad = 0.5 * Math.max(hi - lo, Math.abs(lo), Math.abs(hi));
    if (!(pad > 0)) pad = 1;
    return [lo - pad, hi + pad];
  }

  // A plot over time whose data is decimated afresh for every view.
  // With `fit`, a checkbox that fits the amplitude axis to the baseline.
  function time_plot(el, t, y_label, series, knots, fit) {
    const ys = series.map(s => s.values);
    const width = plot_width(el);
    const view = { t0: NaN, t1: NaN, columns: 0, pending: false, ready: false };
    const base_k = series.findIndex(s => s.knots) + 1;  // the baseline's series index in uPlot, 0 when none
    const y_range = (u, min, max) => {
      const r = fit && fit.checked && base_k > 0 ? baseline_range(u, base_k) : null;
      return r || uPlot.rangeNum(min, max, 0.1, true);
    };

    const decimated = (t0, t1, columns) => {
      const a = performance.now();
      const data = decimate(t, ys, t0, t1, columns);
      decimate_ms = Math.max(decimate_ms, performance.now() - a);
      Object.assign(view, { t0, t1, columns });
      return data;
    };

    // Decimates for the current view of u and moves the other time plots
    // to the same view. Draws at once.
    const refresh = u => {
      const t0 = u.scales.x.min, t1 = u.scales.x.max;
      const columns = Math.max(1, Math.round(u.bbox.width));
      if (t0 == null || t1 == null) return;
      if (t0 !== view.t0 || t1 !== view.t1 || columns !== view.columns) {
        const data = decimated(t0, t1, columns);
        u.batch(() => u.setData(data));  // the x scale is not automatic: the view stays, y fits it
      }
      for (const other of time_plots)
        if (other.u !== u && (other.u.scales.x.min !== t0 || other.u.scales.x.max !== t1)) {
          other.u.batch(() => other.u.setScale('x', { min: t0, max: t1 }));
          other.refresh(other.u);
        }
    };
    // Scale changes arrive inside uPlot's own update; refresh after it.
    const schedule = u => {
      if (!view.ready || view.pending) return;
      view.pending = true;
      queueMicrotask(() => {
        view.pending = false;
        refresh(u);
      });
    };

    const draw_knots = u => {
      if (!knots || base_k === 0 || !u.series[base_k].show) return;
      const ctx = u.ctx, { left, top, width: w, height: h } = u.bbox;
      const r = 3 * (window.devicePixelRatio || 1);
      ctx.save();
      ctx.beginPath();
      ctx.rect(left, top, w, h);
      ctx.clip();
      ctx.fillStyle = colors.knots;
      ctx.beginPath();
      for (let i = 0; i < knots.t.length; i++) {
        const px = u.valToPos(knots.t[i], 'x', true), py = u.valToPos(knots.y[i], 'y', true);
        if (!(px >= left - r && px <= left + w + r && py >= top - r && py <= top + h + r)) continue;
        ctx.moveTo(px + r, py);
        ctx.arc(px, py, r, 0, 2 * Math.PI);
      }
      ctx.fill();
      ctx.restore();
    };

    const columns0 = Math.max(1, Math.round((width - 80) * (window.devicePixelRatio || 1)));
    const data0 = t.length ? decimated(t[0], t[t.length - 1], columns0) : [[], ...ys.map(() => [])];
    const opts = {
      width,
      height: plot_height,
      scales: { x: { time: false, auto: false }, y: { range: y_range } },
      legend: { live: false },
      cursor: { sync: { key: 'time' }, drag: { x: true, y: false } },
      series: [
        { label: 'time, s' },
        ...series.map(s => ({ label: s.label, stroke: s.color, width: s.width || 1, dash: s.dash, spanGaps: true })),
      ],
      axes: [{ label: 'time, s' }, { label: y_label, size: 70 }],
      hooks: {
        setScale: [(u, key) => { if (key === 'x') schedule(u); }],
        setSize: [u => schedule(u)],
        draw: [draw_knots],
      },
    };
    const u = new uPlot(opts, data0, el);
    view.ready = true;
    if (fit) fit.addEventListener('change', () => u.batch(() => u.setData(u.data)));
    const entry = { u, el, refresh, t, ys };
    time_plots.push(entry);
    return entry;
  }

  // The spectra on log-log axes: grid frequencies and the two reference
  // frequencies share one ascending x axis; values that cannot stand on a
  // log axis (zero, missing) are gaps.
  function spectrum_plot(el, sp) {
    const ref_ok = sp.ref_freq.every(f => f > 0 && Number.isFinite(f)) &&
                   sp.ref_amp.every(a => a > 0 && Number.isFinite(a));
    const xs = Array.from(new Set([...sp.fn, ...(ref_ok ? sp.ref_freq : [])])).sort((a, b) => a - b);
    const on_axis = (freqs, vals) => {
      const at = new Map();
      if (vals) freqs.forEach((f, i) => at.set(f, vals[i]));
      return xs.map(f => {
        const v = at.get(f);
        return v > 0 && Number.isFinite(v) ? v : null;
      });
    };
    const line = (label, vals, color, dash, width) => ({
      label: vals ? label : label + ' (not available)', stroke: color, dash, width, spanGaps: true,
      values: on_axis(sp.fn, vals),
    });
    const lines = [
      line('record, positive', sp.before_pos, colors.pos_before, [6, 4], 1.5),
      line('record, negative', sp.before_neg, colors.neg_before, [6, 4], 1.5),
      line('corrected, positive', sp.after_pos, colors.pos_after, undefined, 2),
      line('corrected, negative', sp.after_neg, colors.neg_after, undefined, 2),
      { label: ref_ok ? 'reference line' : 'reference line (not on log axes)', stroke: colors.reference,
        width: 2, dash: [2, 3], spanGaps: true, values: on_axis(sp.ref_freq, ref_ok ? sp.ref_amp : null) },
    ];
    const opts = {
      width: plot_width(el),
      height: plot_height + 60,
      scales: { x: { time: false, distr: 3, range: (u, min, max) => [min, max] }, y: { distr: 3 } },
      series: [{ label: 'frequency, Hz' }, ...lines.map(({ values, ...s }) => s)],
      axes: [{ label: 'natural frequency, Hz' }, { label: 'peak absolute acceleration', size: 70 }],
    };
    return new uPlot(opts, [xs, ...lines.map(l => l.values)], el);
  }

  // Pixel statistics of a plot's drawing area: pixels painted, and per
  // series the pixels drawn in its own colour.
  function pixel_check(id, u) {
    const { left, top, width, height } = u.bbox;
    const img = u.ctx.getImageData(left, top, width, height).data;
    const rgb = s => (typeof s === 'string' && /^#[0-9a-f]{6}$/i.test(s)
      ? [1, 3, 5].map(k => parseInt(s.slice(k, k + 2), 16)) : null);
    const want = u.series.slice(1).map(s => rgb(typeof s.stroke === 'function' ? s.stroke(u, 1) : s.stroke));
    const found = want.map(() => 0);
    let painted = 0;
    for (let p = 0; p < img.length; p += 4) {
      if (img[p + 3] === 0) continue;
      painted++;
      if (img[p + 3] < 200) continue;
      want.forEach((c, k) => {
        if (c && Math.abs(img[p] - c[0]) < 24 && Math.abs(img[p + 1] - c[1]) < 24 && Math.abs(img[p + 2] - c[2]) < 24)
          found[k]++;
      });
    }
    const dpr = window.devicePixelRatio || 1;
    const r = u.ctx.canvas.getBoundingClientRect();
    return {
      id, painted, area: width * height, points: u.data[0].length, columns: Math.round(width),
      series: u.series.slice(1).map((s, k) => ({ label: s.label, color: want[k], pixels: found[k] })),
      rect: { x: r.left + window.scrollX + left / dpr, y: r.top + window.scrollY + top / dpr,
              w: width / dpr, h: height / dpr },
    };
  }

  function not_available(el, text) {
    const p = document.createElement('p');
    p.className = 'note';
    p.textContent = text;
    el.replaceWith(p);
  }

  let unpack_ms = 0, build_ms = 0;
  function build() {
    const block = document.getElementById('report-data');
    const data = JSON.parse(block.textContent);
    block.remove();  // the packed series are unpacked below; the page need not keep their text
    const a = performance.now();
    const t = unpack(data.time, Float64Array);
    const record = unpack(data.record, Float32Array), baseline = unpack(data.baseline, Float32Array);
    const corrected = unpack(data.corrected, Float32Array);
    const vel_before = unpack(data.vel_before, Float32Array), vel_after = unpack(data.vel_after, Float32Array);
    unpack_ms = performance.now() - a;

    const rec_el = document.getElementById('record-plot');
    const rec = time_plot(rec_el, t, 'amplitude', [
      { label: 'record', values: record, color: colors.record, width: 2 },
      { label: 'corrected record', values: corrected, color: colors.corrected },
      { label: 'baseline', values: baseline, color: colors.baseline, width: 2, knots: true },
    ], { t: data.knot_t, y: data.knot_y }, document.getElementById('fit-baseline'));
    all_plots.push(['record-plot', rec.u]);
    const vel_el = document.getElementById('velocity-plot');
    const vel = time_plot(vel_el, t, 'velocity, amplitude × s', [
      { label: 'record', values: vel_before, color: colors.vel_before, width: 1.5 },
      { label: 'corrected record', values: vel_after, color: colors.vel_after, width: 1.5 },
    ], null, null);
    all_plots.push(['velocity-plot', vel.u]);

    const sp_el = document.getElementById('spectrum-plot');
    const sp = data.spectrum;
    if (!sp) not_available(sp_el, 'Spectra not available: the record has no spectrum grid.');
    else if (!sp.before_pos && !sp.after_pos) not_available(sp_el, 'Spectra not available: see the messages below.');
    else all_plots.push(['spectrum-plot', spectrum_plot(sp_el, sp)]);

    window.addEventListener('resize', () => {
      for (const [id, u] of all_plots) u.setSize({ width: plot_width(document.getElementById(id)), height: u.height });
    });
    window.basetrim_report = { decimate, time_plots, all_plots, t, record, corrected, baseline, vel_before, vel_after };
    build_ms = performance.now() - started;
  }

  window.basetrim_report = { decimate };
  try {
    build();
  } catch (e) {
    errors.push(String(e && e.stack || e));
  }

  // The render check, for tests and for anyone curious: one line per item.
  //   timing unpack_ms=.. decimate_ms=.. build_ms=.. loaded_ms=..
  //   plot ID painted=.. area=.. points=.. columns=.. x=.. y=.. w=.. h=..
  //   series ID K R,G,B PIXELS LABEL
  //   error MESSAGE
  window.addEventListener('load', () => {
    const lines = [];
    try {
      for (const [id, u] of all_plots) {
        const c = pixel_check(id, u), r = c.rect;
        lines.push(`plot ${id} painted=${c.painted} area=${c.area} points=${c.points} columns=${c.columns} ` +
                   `x=${r.x} y=${r.y} w=${r.w} h=${r.h}`);
        c.series.forEach((s, k) => lines.push(`series ${id} ${k + 1} ${s.color ? s.color.join(',') : '-'} ` +
                                              `${s.pixels} ${s.label}`));
      }
    } catch (e) {
      errors.push(String(e && e.stack || e));
    }
    lines.unshift(`timing unpack_ms=${unpack_ms} decimate_ms=${decimate_ms} build_ms=${build_ms} ` +
                  `loaded_ms=${performance.now()}`);
    for (const e of errors) lines.push('error ' + String(e).replace(/\s+/g, ' '));
    document.getElementById('render-check').textContent = lines.join('\n');
  });
})();
